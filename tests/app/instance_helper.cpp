// Starts the program with a fake browser whose page in front has the address
// given as the first argument ("-" for none), and with the third argument, if
// any, as the program's own. The first copy prints "first", then every address
// handed over to it as "got <address>" and every address it builds from as
// "build <address>", and ends after the number of those given as the second
// argument (or 20 s). A later copy prints "second" and ends as the program does.
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
    tvtest::FakeBrowserComponent *fake = nullptr;

    tv::StartupOptions options;
    options.makeBrowser = [front, &fake]() -> std::unique_ptr<tv::BrowserComponent> {
        auto browser = std::make_unique<tvtest::FakeBrowserComponent>();
        fake = browser.get();
        if (!front.isEmpty()) {
            auto w = browser->addWindow(front);
            w->doc = tvtest::makeDocument(front, {});
            browser->foreground = w->hwnd();
        }
        return browser;
    };
    options.onMainWindow = [&first, &fake, expected](tv::Form1 &form) {
        first = true;
        std::printf("first\n");
        std::fflush(stdout);
        tv::setMessageBoxHandler([](const tv::MessageBoxRequest &) { return tv::MsgResult::Ok; });
        auto *received = new int(0);
        const auto seen = [received, expected](const char *what, const QString &address) {
            std::printf("%s %s\n", what, qPrintable(address));
            std::fflush(stdout);
            if (++*received >= expected)
                QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
        };
        QObject::connect(&form, &tv::Form1::handOverReceived, &form, [seen](const QString &address) {
            if (!address.isEmpty())
                seen("got", address);
        });
        // Builds show as the addresses the invisible browsers are sent to.
        auto *watch = new QTimer(&form);
        QObject::connect(watch, &QTimer::timeout, &form, [&fake, seen, done = qsizetype(0)]() mutable {
            QStringList built;
            for (const auto &w : std::as_const(fake->harvests))
                if (auto window = w.lock())
                    built += window->navigations;
            for (; done < built.size(); ++done)
                seen("build", built[done]);
        });
        watch->start(15);
        if (expected == 0)
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(3); });
    };
    char *own[] = {argv[0], argc > 3 ? argv[3] : nullptr, nullptr};
    const int code = tv::runTallyvane(argc > 3 ? 2 : 1, own, options);
    if (!first) {
        std::printf("second\n");
        std::fflush(stdout);
    }
    return code;
}
