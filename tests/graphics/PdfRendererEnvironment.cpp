// PDF pages are drawn by the bundle's helper program, which the running
// program looks for beside itself. A test executable lives elsewhere, so every
// graphics test is pointed at the helper the build puts in the bundle.
#include "platform/Thumbnails.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace {

class PdfRendererEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString helper = QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/VantelThumbnailer");
        ASSERT_TRUE(QFileInfo(helper).isExecutable()) << "missing PDF renderer: " << helper.toStdString();
        vantel::platform::Thumbnails::setPdfRenderer(helper, std::chrono::seconds(20));
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PdfRendererEnvironment);

} // namespace
