#include "app/terminalmode.h"

#include "app/startup.h"
#include "app/terminalio.h"
#include "app/terminallisting.h"
#include "app/terminalsaving.h"
#include "builders/filters.h"
#include "platform/cdp/harvestprofile.h"
#include "settings/preferences.h"
#include "settings/settingsstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tv::TerminalMode {

namespace {

using terminalio::say;

// A signal handler reaches nothing but globals: the pipe the event loop
// watches, and the signal that came (0: none yet).
int signalPipe = -1;
std::atomic<int> signalSeen{0};

extern "C" void onSignal(int number)
{
    // A second one while the first is still being handled ends at once.
    if (signalSeen.exchange(number) != 0)
        ::_exit(128 + number);
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe, &byte, 1);
    errno = saved;
}

// SIGINT and SIGTERM brought into the event loop through a self-pipe.
class SignalWatch
{
public:
    explicit SignalWatch(std::function<void(int)> handler)
    {
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return; // the signals keep their default: the program ends
        signalPipe = m_fds[1];
        m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this, handler = std::move(handler)] {
                             char byte = 0;
                             while (::read(m_fds[0], &byte, 1) == 1)
                                 handler(byte);
                         });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a blocking read of the input returns to look.
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    ~SignalWatch()
    {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        m_notifier.reset();
        for (int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
        signalPipe = -1;
    }
    SignalWatch(const SignalWatch &) = delete;
    SignalWatch &operator=(const SignalWatch &) = delete;

private:
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// The command line's options.
struct Options
{
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("Write the links of the pages URL... to standard output, one a line, in "
                                           "document order.")};
    QCommandLineOption filter{QStringLiteral("filter"),
                              QStringLiteral("With --list: keep only links to files with these extensions."),
                              QStringLiteral("EXT[,EXT...]")};
    QCommandLineOption useSettings{QStringLiteral("use-settings"),
                                   QStringLiteral("With --list: the file-type filters of the settings, when they are "
                                                  "applied there. With --save-targets: the preferences' overwrite "
                                                  "action and simultaneous downloads.")};
    QCommandLineOption text{QStringLiteral("text"), QStringLiteral("With --list: write \"url<TAB>text\" lines.")};
    QCommandLineOption saveTargets{QStringLiteral("save-targets"),
                                   QStringLiteral("Save the targets of the listed links into FOLDER."),
                                   QStringLiteral("FOLDER")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("With --save-targets: the list, one link a line (\"-\", the default: "
                                           "standard input)."),
                            QStringLiteral("FILE|-"), QStringLiteral("-")};
    QCommandLineOption overwrite{QStringLiteral("overwrite"),
                                 QStringLiteral("With --save-targets: what to do with a file that exists (ask, the "
                                                "default, skips when standard input is no terminal)."),
                                 QStringLiteral("ask|overwrite|skip|rename")};
};

// Bad usage: said, then the run ends with BadUsage.
struct Usage
{
};

[[noreturn]] void badUsage(const QString &text)
{
    say(text);
    throw Usage{};
}

void addOptions(QCommandLineParser &parser, const Options &o)
{
    parser.setApplicationDescription(QStringLiteral(
        "Lists the links of web pages, or saves the targets of a list of links, without a window.\n"
        "Without --list or --save-targets, Tallyvane starts its window (an address given builds its list).\n\n"
        "Exit status: 0 done; 1 a page or a file failed (the reason is on standard error); 2 bad usage;\n"
        "130 interrupted (Ctrl-C), with what was found or saved so far kept."));
    parser.addOptions({o.list, o.filter, o.useSettings, o.text, o.saveTargets, o.from, o.overwrite});
    parser.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("With --list: a page to list."),
                                 QStringLiteral("[URL...]"));
}

QStringList extensionsOf(const QString &value)
{
    QStringList out;
    for (QString ext : value.split(u',')) {
        ext = ext.trimmed();
        if (ext.startsWith(u'.'))
            ext.remove(0, 1);
        if (!ext.isEmpty())
            out.append(ext);
    }
    return out;
}

ListRequest listRequest(const QCommandLineParser &parser, const Options &o)
{
    ListRequest request;
    request.withText = parser.isSet(o.text);
    for (const QString &argument : parser.positionalArguments()) {
        const QString page = pageAddress(argument, QDir::currentPath());
        if (page.isEmpty())
            badUsage(QStringLiteral("\"%1\" is no http, https, ftp or file address").arg(argument));
        request.pages.append(page);
    }
    if (request.pages.isEmpty())
        badUsage(QStringLiteral("--list needs at least one address"));
    if (parser.isSet(o.filter)) {
        request.filters = extensionsOf(parser.value(o.filter));
        if (request.filters.isEmpty())
            badUsage(QStringLiteral("--filter needs at least one extension"));
    } else if (parser.isSet(o.useSettings)) {
        const CRegSettings settings = CRegSettings::program();
        if (Filters::applyFilters(settings))
            request.filters = Filters::extensionsOf(Filters::load(settings));
    }
    return request;
}

SaveRequest saveRequest(const QCommandLineParser &parser, const Options &o)
{
    SaveRequest request;
    request.folder = parser.value(o.saveTargets);
    if (!QFileInfo(request.folder).isDir())
        badUsage(QStringLiteral("\"%1\" is no folder").arg(request.folder));
    if (!parser.positionalArguments().isEmpty())
        badUsage(QStringLiteral("--save-targets reads its links with --from, not as arguments"));
    if (parser.isSet(o.useSettings)) {
        const Preferences preferences = LoadPreferences(CRegSettings::program());
        request.owaction = preferences.owaction;
        request.simultaneous = preferences.simultaneous;
    }
    if (parser.isSet(o.overwrite)) {
        const QStringList actions = {QStringLiteral("ask"), QStringLiteral("overwrite"), QStringLiteral("skip"),
                                     QStringLiteral("rename")};
        request.owaction = qint32(actions.indexOf(parser.value(o.overwrite)));
        if (request.owaction < 0)
            badUsage(QStringLiteral("--overwrite takes ask, overwrite, skip or rename"));
    }
    request.canAsk = ::isatty(STDIN_FILENO) == 1;
    return request;
}

// The options that belong to one command only.
void checkCombination(const QCommandLineParser &parser, const Options &o)
{
    if (parser.isSet(o.list) && parser.isSet(o.saveTargets))
        badUsage(QStringLiteral("--list and --save-targets go in separate runs"));
    const auto only = [&](const QCommandLineOption &option, const QCommandLineOption &command) {
        if (parser.isSet(option) && !parser.isSet(command))
            badUsage(QStringLiteral("--%1 goes with --%2").arg(option.names().first(), command.names().first()));
    };
    only(o.filter, o.list);
    only(o.text, o.list);
    only(o.from, o.saveTargets);
    only(o.overwrite, o.saveTargets);
    if (!parser.isSet(o.list) && !parser.isSet(o.saveTargets))
        badUsage(QStringLiteral("--use-settings goes with --list or --save-targets"));
}

int runListing(const ListRequest &request, const BrowserMaker &makeBrowser)
{
    // Profiles of harvest browsers whose program was killed before it could remove them.
    harvestprofile::removeStale();
    HarvestOnlyBrowser browser(makeBrowser ? makeBrowser() : nullptr);
    TerminalListing listing(browser, request);
    QObject::connect(&listing, &TerminalListing::finished, &listing, [](int status) { QCoreApplication::exit(status); });
    const SignalWatch watch([&listing](int number) {
        terminalio::whenAtTop(&listing, [&listing, number] {
            listing.interrupt(128 + number, QStringLiteral("interrupted; the links found so far are written."));
        });
    });
    QTimer::singleShot(0, &listing, &TerminalListing::start);
    const int status = QCoreApplication::exec();
    // The invisible browser and its throw-away profile go before the program ends.
    browser.shutdown();
    return status;
}

int runSaving(SaveRequest request, const QString &from)
{
    TerminalSaving *saving = nullptr;
    // While the list is read nothing else runs: the read itself looks.
    const SignalWatch watch([&saving](int number) {
        if (saving)
            saving->interrupt(128 + number);
    });
    QByteArray list;
    terminalio::ReadEnd read = terminalio::ReadEnd::Failed;
    const int fd = from == u'-' ? STDIN_FILENO : ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    const int error = fd < 0 ? errno : 0;
    if (fd >= 0)
        read = terminalio::readAll(fd, list, [] { return signalSeen.load() != 0; });
    if (fd > STDIN_FILENO)
        ::close(fd);
    if (read == terminalio::ReadEnd::Interrupted) {
        say(QStringLiteral("interrupted"));
        return 128 + signalSeen.load();
    }
    if (read == terminalio::ReadEnd::Failed) {
        say(QStringLiteral("%1: %2").arg(from, QString::fromLocal8Bit(std::strerror(error ? error : errno))));
        return Failed;
    }
    request.links = linksOfList(list);
    TerminalSaving transfer(request);
    saving = &transfer;
    QObject::connect(&transfer, &TerminalSaving::finished, &transfer, [](int status) { QCoreApplication::exit(status); });
    QTimer::singleShot(0, &transfer, &TerminalSaving::start);
    const int status = QCoreApplication::exec();
    saving = nullptr;
    return status;
}

} // namespace

bool wanted(int argc, char **argv)
{
    const Options o;
    QStringList names = {QStringLiteral("help"), QStringLiteral("help-all"), QStringLiteral("version")};
    for (const QCommandLineOption *option : {&o.list, &o.filter, &o.useSettings, &o.text, &o.saveTargets, &o.from, &o.overwrite})
        names += option->names();
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--")
            break;
        if (arg == u"-h" || arg == u"-v")
            return true;
        if (arg.startsWith(u"--") && names.contains(arg.mid(2).section(u'=', 0, 0)))
            return true;
    }
    return false;
}

int run(int argc, char **argv, const BrowserMaker &makeBrowser)
{
    // Nothing here needs a window system; should a part ever ask for one, it
    // gets the invisible one instead of failing for want of a display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLYVANE_VERSION));
    // A closed standard output is a write error to end on, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);

    QCommandLineParser parser;
    const Options options;
    addOptions(parser, options);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    try {
        if (!parser.parse(QCoreApplication::arguments()))
            badUsage(parser.errorText());
        if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
            // Qt's own first line names the program by the path it was started with.
            const QString synopsis = QStringLiteral(
                "Usage: tallyvane [URL]\n"
                "       tallyvane --list [--filter EXT[,EXT...]] [--use-settings] [--text] URL...\n"
                "       tallyvane --save-targets FOLDER [--from FILE|-] [--overwrite ask|overwrite|skip|rename] "
                "[--use-settings]\n\n");
            terminalio::writeAll(STDOUT_FILENO, (synopsis + parser.helpText().section(u'\n', 1)).toUtf8());
            return 0;
        }
        if (parser.isSet(version)) {
            terminalio::writeAll(STDOUT_FILENO, QStringLiteral("tallyvane %1\n").arg(TALLYVANE_VERSION).toUtf8());
            return 0;
        }
        checkCombination(parser, options);
        if (parser.isSet(options.list))
            return runListing(listRequest(parser, options), makeBrowser);
        return runSaving(saveRequest(parser, options), parser.value(options.from));
    } catch (const Usage &) {
        terminalio::writeAll(STDERR_FILENO, "Try \"tallyvane --help\".\n");
        return BadUsage;
    }
}

int refuseWithoutDisplay()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return 0;
    say(QStringLiteral("no display to show the window on (DISPLAY and WAYLAND_DISPLAY are empty). "
                       "From a terminal: tallyvane --list URL, tallyvane --save-targets FOLDER; see tallyvane --help."));
    return BadUsage;
}

} // namespace tv::TerminalMode
