// Makes the installation material beside the program: section icons, pictures, the default kinds
// lists and the folders the program expects at start-up.
#include "defaultlists.h"
#include "icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path, const char* format) {
    QImageWriter writer(path, format);
    if (writer.write(image)) return true;
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vm_makeassets <program folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    QDir dir(root);
    bool ok = true;
    for (const char* sub : {"Icons", "DATA", "PageMaket", "NewUnloaded"})
        ok = dir.mkpath(QString::fromLatin1(sub)) && ok;

    const struct {
        TSectionGlyph glyph;
        const char* folder;
        const char* stem;
    } sections[] = {{TSectionGlyph::Rashod, "Rashod", "rashod"}, {TSectionGlyph::Dohod, "Dohod", "dohod"},
                    {TSectionGlyph::Dolg, "Dolg", "dolg"},       {TSectionGlyph::Plan, "Plan", "plan"},
                    {TSectionGlyph::Analis, "Analis", "analis"}, {TSectionGlyph::Base, "Base", "base"}};
    for (const auto& s : sections) {
        const QString folder = root + QStringLiteral("/Icons/") + QString::fromLatin1(s.folder);
        ok = dir.mkpath(folder) && ok;
        for (int size : {40, 48, 55, 64, 70, 80, 96})
            ok = Save(DrawSectionIcon(s.glyph, size),
                      folder + QStringLiteral("/%1_ico_%2.ico").arg(QString::fromLatin1(s.stem)).arg(size),
                      "ico") &&
                 ok;
    }
    ok = Save(DrawResizePicture(), root + QStringLiteral("/Icons/Resize.bmp"), "bmp") && ok;
    ok = Save(DrawCheckPicture(true), root + QStringLiteral("/Icons/selected.bmp"), "bmp") && ok;
    ok = Save(DrawCheckPicture(false), root + QStringLiteral("/Icons/noselected.bmp"), "bmp") && ok;
    ok = Save(DrawSectionIcon(TSectionGlyph::Program, 128), root + QStringLiteral("/vellumora.png"), "png") &&
         ok;
    ok = WriteDefaultLists(root + QStringLiteral("/DATA")) && ok;
    return ok ? 0 : 1;
}
