// scanora: the desktop program.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Scanora");
    QMainWindow window;
    window.show();
    return QApplication::exec();
}
