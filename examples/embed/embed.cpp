// The file-search control in a Qt application of your own: shows the panel, searches for the
// text given on the command line and prints every connection the user asks for.
//
//   embed TEXT [HOST:PORT] [--connect-first]
//
// HOST:PORT names an application server of your own (velkan-localnet prints one).
// --connect-first connects to the first row once the search is over, prints what that gives
// and quits: the example run unattended.

#include <velkanfilesearch/filesearchwidget.h>

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream out(stdout);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: embed TEXT [HOST:PORT] [--connect-first]\n";
        return 2;
    }
    const bool connectFirst = arguments.contains(QStringLiteral("--connect-first"));

    velkan::FileSearchWidget search;
    if (!search.isValid()) {
        QTextStream(stderr) << search.lastError() << "\n";
        return 1;
    }
    search.setSearch(arguments.at(1)); // searched for as soon as the panel shows
    if (arguments.size() > 2 && !arguments.at(2).startsWith(QStringLiteral("--"))) {
        const QStringList server = arguments.at(2).split(QLatin1Char(':'));
        search.setAppServer(server.value(0), server.value(1).toUShort());
    }
    QObject::connect(&search, &velkan::FileSearchWidget::connectRequested,
                     [&](const QString& nick, const QString& folder, const QByteArray& rawFolder) {
                         out << "connect " << nick << " " << folder << " " << rawFolder << Qt::endl;
                         if (connectFirst) {
                             application.quit();
                         }
                     });
    QObject::connect(&search, &velkan::FileSearchWidget::searchIdle, [&] {
        out << "rows " << search.rowCount() << Qt::endl;
        if (connectFirst && !search.connectToRow(0)) {
            application.exit(3);
        }
    });
    search.resize(760, 560);
    search.show();
    return application.exec();
}
