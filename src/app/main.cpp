// dianziqin: an electronic keyboard instrument for the Linux desktop.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("电子琴"));
    label.show();
    return app.exec();
}
