// Starts the program with a fake browser whose page in front has the address
// given as the first argument ("-" for none). The first copy prints "first",
// then every address handed over to it as "got <address>", and ends after the
// number of hand-overs given as the second argument (or 20 s). A later copy
// prints "second" and ends as the program does.
#include "app/mainwindow.h"
#include "app/startup.h"
#include "platform/messagebox.h"
#include "support/fakebrowser.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    const QString front = argc > 1 && qstrcmp(argv[1], "-") != 0 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int expected = argc > 2 ? QByteArray(argv[2]).toInt() : 0;
    bool first = false;

    tv::StartupOptions options;
    options.makeBrowser = [front]() -> std::unique_ptr<tv::BrowserComponent> {
        auto browser = std::make_unique<tvtest::FakeBrowserComponent>();
        if (!front.isEmpty()) {
            auto w = browser->addWindow(front);
            w->doc = tvtest::makeDocument(front, {});
            browser->foreground = w->hwnd();
        }
        return browser;
    };
    options.onMainWindow = [&first, expected](tv::Form1 &form) {
        first = true;
        std::printf("first\n");
        std::fflush(stdout);
        tv::setMessageBoxHandler([](const tv::MessageBoxRequest &) { return tv::MsgResult::Ok; });
        auto *received = new int(0);
        QObject::connect(&form, &tv::Form1::handOverReceived, &form, [received, expected](const QString &address) {
            if (address.isEmpty())
                return;
            std::printf("got %s\n", qPrintable(address));
            std::fflush(stdout);
            if (++*received >= expected)
                QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
        });
        if (expected == 0)
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(3); });
    };
    const int code = tv::runTallyvane(argc, argv, options);
    if (!first) {
        std::printf("second\n");
        std::fflush(stdout);
    }
    return code;
}
