// The DevTools events of a page in the form of tests/platform/cdp/data: a JSON
// object a line, either a message from the browser or one of the program's
// own steps: {"navigate"}, {"stop"}, {"answer"} with "url", {"crash"},
// {"fail"} with "code". The progress the mapper reports must stay sane.

#include "fuzzsupport.h"

#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/cdpeventmapper.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QJsonObject> steps;
    QString page = QStringLiteral("P");
    for (const QByteArray &line : QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n')) {
        const QJsonObject step = QJsonDocument::fromJson(line).object();
        // The page is the frame the program's navigation was answered for.
        if (step.contains(QLatin1String("answer")))
            page = step.value(QLatin1String("answer")).toObject().value(QLatin1String("frameId")).toString();
        steps.append(step);
    }

    tv::CdpEventMapper mapper(page);
    QObject::connect(&mapper, &tv::CdpEventMapper::progressChange, [](qint32 progress, qint32 progressMax) {
        FUZZ_CHECK(progressMax >= 1);
        FUZZ_CHECK(progress == -1 || (progress >= 1 && progress <= progressMax));
    });
    for (const QJsonObject &step : std::as_const(steps)) {
        const auto has = [&](const char *key) { return step.contains(QLatin1String(key)); };
        const auto text = [&](const char *key) { return step.value(QLatin1String(key)).toString(); };
        if (has("crash")) {
            mapper.pageCrashed();
        } else if (has("navigate")) {
            mapper.navigationRequested(text("navigate"));
        } else if (has("stop")) {
            mapper.stopRequested();
        } else if (has("answer")) {
            mapper.navigationAnswered({true, step.value(QLatin1String("answer")).toObject(), 0, {}}, text("url"));
        } else if (has("fail")) {
            mapper.navigationFailed(text("fail"), step.value(QLatin1String("code")).toInt());
        } else {
            // As the connection hands it on.
            const tv::CdpIncoming in = tv::decodeCdpMessage(QJsonDocument(step).toJson(QJsonDocument::Compact));
            if (in.kind == tv::CdpIncoming::Kind::Event)
                mapper.handle(in.method, in.params);
        }
    }
    return 0;
}
