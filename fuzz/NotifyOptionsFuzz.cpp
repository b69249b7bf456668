// The --http and --notify-url values (and the same preferences) on any text:
// an address read has a host and a port from 1 to 65535, an address that is
// not loopback is served only with a token, and a webhook URL accepted is
// an http or https address with a host.

#include "FuzzSupport.h"

#include "engine/notify/Webhook.h"
#include "engine/web/WebAddress.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    WebAddress address;
    if (parseWebAddress(text, address).isEmpty()) {
        fuzzCheck(!address.host.isEmpty(), "an address has a host");
        fuzzCheck(address.port >= 1 && address.port <= 65535, "a port from 1 to 65535");
        fuzzCheck(webAccessProblem(address, QString()).isEmpty() == address.loopback(),
                  "without a token only loopback is served");
        fuzzCheck(webAccessProblem(address, QStringLiteral("t")).isEmpty(), "with a token any address is served");
    }
    if (webhookUrlProblem(text).isEmpty()) {
        const QUrl url(text, QUrl::StrictMode);
        fuzzCheck(url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
                      || url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0,
                  "only http and https are posted to");
        fuzzCheck(!url.host().isEmpty(), "a webhook has a host");
    }
    return 0;
}
