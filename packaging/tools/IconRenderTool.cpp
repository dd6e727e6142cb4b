// Renders the scalable application icon into the PNG sizes of the hicolor
// theme: <out>/<n>x<n>/apps/<name>.png for each size given.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QTextStream err(stderr);
    if (arguments.size() < 3) {
        err << "usage: vantel_render_icon ICON.svg OUTPUT-FOLDER SIZE...\n";
        return 2;
    }
    const QString source = arguments.at(0);
    const QString name = QFileInfo(source).completeBaseName();
    for (const QString& sizeText : arguments.mid(2)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            err << "vantel_render_icon: not an icon size: " << sizeText << "\n";
            return 2;
        }
        QImageReader reader(source);
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        if (image.isNull() || image.size() != QSize(size, size)) {
            err << "vantel_render_icon: " << source << ": " << reader.errorString()
                << " (is Qt's SVG image plugin installed?)\n";
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(1)).arg(size);
        const QString target = folder + u'/' + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.convertToFormat(QImage::Format_ARGB32).save(target, "PNG")) {
            err << "vantel_render_icon: cannot write " << target << "\n";
            return 1;
        }
    }
    return 0;
}
