#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setCentralWidget(new QMdiArea(&w));
    w.resize(1000, 700);
    w.show();
    return app.exec();
}
