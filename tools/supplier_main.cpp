// relvane-supplier JID [PASSWORD] [HOST] [PORT]: a supplier account that answers every order
// with "SUKSES <order> SN:<serial>", for the demo.
#include <QCoreApplication>
#include <QTextStream>

#include "FakeSupplier.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        QTextStream(stderr) << "usage: relvane-supplier JID [PASSWORD] [HOST] [PORT]\n";
        return 2;
    }
    FakeSupplier supplier(a[1], a.value(2, "relvane"), a.value(3, "127.0.0.1"),
                          a.value(4, "52220").toInt(), 500);
    QTextStream out(stdout);
    QObject::connect(&supplier, &FakeSupplier::OrderReceived,
                     [&out](const QString& from, const QString& body) {
                         out << "order from " << from << ": " << body << Qt::endl;
                     });
    supplier.Start();
    return app.exec();
}
