// make-artwork OUTDIR FRAMEDIR
// Writes every picture of Korvane Direct under OUTDIR (the assets folder):
// img/ for the files installed beside the program, builtin/ for the pictures
// compiled into it. The frames of the wait animation go to FRAMEDIR, from
// where generate.sh assembles builtin/espera.gif.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

namespace {

bool save(const QImage &image, const QString &path, QSize expected) {
    if (image.size() != expected) {
        std::fprintf(stderr, "%s: %dx%d instead of %dx%d\n", qPrintable(path), image.width(),
                     image.height(), expected.width(), expected.height());
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool jpeg = path.endsWith(".jpg");
    if (!image.save(path, nullptr, jpeg ? 92 : -1)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-artwork OUTDIR FRAMEDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QDir frames(QString::fromLocal8Bit(argv[2]));
    using namespace Artwork;
    const QSize lampSize(64, 64), indicatorSize(46, 46), screen(700, 530);

    const QImage welcomeImage = welcome();
    const QImage comOff = connector(false), dbOff = database(false);
    bool ok = true;
    ok &= save(welcomeImage, out.filePath("img/inicio.jpg"), screen);
    ok &= save(lamp(LampColour::Blue), out.filePath("img/Luz_Azul.png"), lampSize);
    ok &= save(lamp(LampColour::Red), out.filePath("img/Luz_Roja.png"), lampSize);
    ok &= save(lamp(LampColour::Off), out.filePath("img/Luz_No.png"), lampSize);
    ok &= save(lamp(LampColour::Green), out.filePath("img/Luz_Si.png"), lampSize);
    ok &= save(noImage(), out.filePath("img/noimage.jpg"), screen);
    ok &= save(plantScreen(), out.filePath("img/planta.jpg"), screen);
    ok &= save(noImageIcon(), out.filePath("img/noimage.png"), lampSize);
    ok &= save(connector(true), out.filePath("img/comon.png"), indicatorSize);
    ok &= save(comOff, out.filePath("img/comoff.png"), indicatorSize);
    ok &= save(database(true), out.filePath("img/dbon.png"), indicatorSize);
    ok &= save(dbOff, out.filePath("img/dboff.png"), indicatorSize);

    ok &= save(banner(), out.filePath("builtin/banner.png"), QSize(885, 46));
    ok &= save(welcomeImage, out.filePath("builtin/welcome.jpg"), screen);
    ok &= save(lamp(LampColour::Neutral), out.filePath("builtin/lamp.png"), lampSize);
    ok &= save(comOff, out.filePath("builtin/comoff.png"), indicatorSize);
    ok &= save(dbOff, out.filePath("builtin/dboff.png"), indicatorSize);
    ok &= save(trayIcon(), out.filePath("builtin/tray.png"), QSize(32, 32));
    ok &= save(productPicture(), out.filePath("builtin/product.png"), lampSize);
    ok &= save(editorCorner(), out.filePath("builtin/editor_corner.png"), QSize(164, 112));
    ok &= save(helpBadge(), out.filePath("builtin/help.png"), QSize(24, 24));
    // The desktop's application icon in the standard hicolor sizes.
    for (int s : {16, 24, 32, 48, 64, 128, 256})
        ok &= save(productMark(s),
                   out.filePath(QString("icons/hicolor/%1x%1/apps/korvane-direct.png").arg(s)),
                   QSize(s, s));

    const QList<QImage> wait = waitFrames();
    for (int i = 0; i < wait.size(); ++i)
        ok &= save(wait[i], frames.filePath(QString("espera_%1.png").arg(i, 2, 10, QChar('0'))),
                   QSize(40, 40));
    return ok ? 0 : 1;
}
