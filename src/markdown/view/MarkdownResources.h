#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

namespace vantel {

// The bundle's resources that the Markdown views need: the help texts, the
// named colours (Colors.json) and images. The folder is the bundle's
// Resources folder unless set otherwise (tests point it elsewhere).
class MarkdownResources {
public:
    static QString resourceFolder();
    static void setResourceFolder(const QString& folder);

    // The file of that name (extension included) in the folder, the copy
    // in the user's language first (see Bundle::resourceIn); none when it
    // is missing or the name would leave the folder.
    static std::optional<QString> pathForResource(const QString& name);
    static std::optional<QColor> color(const QString& name);
    // A null image when there is none of that name.
    static QImage image(const QString& name);
};

} // namespace vantel
