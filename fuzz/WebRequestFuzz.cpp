// The web view's request handling on any request: the first byte's low bit
// sets an access token; with its second bit the rest is a head as it comes
// over the wire, read by parseHead, else the first line is the method, the
// second the target, each further line a header "Name: value". Every answer
// is one of the statuses the view gives, only GET and HEAD without a body
// are ever served, and with a token only the request that carries it, once;
// without it nothing but a malformed request is told more than 401.

#include "FuzzSupport.h"

#include "engine/web/WebRequest.h"
#include "engine/web/WebView.h"

namespace {

WebRequest requestOf(const QByteArray &input)
{
    const QList<QByteArray> lines = input.mid(1).split('\n');
    WebRequest request;
    request.method = lines.value(0);
    request.target = lines.value(1);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        request.headers.append({lines[i].left(colon), colon < 0 ? QByteArray() : lines[i].mid(colon + 1).trimmed()});
    }
    return request;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray token = !input.isEmpty() && (input[0] & 1) ? QByteArray("t0k") : QByteArray();
    WebRequest request;
    if (!input.isEmpty() && (input[0] & 2)) {
        const QByteArray wire = input.mid(1);
        const qsizetype end = headEndOf(wire);
        fuzzCheck(end <= wire.size(), "a head ends within the bytes");
        if (end < 0 || parseHead(wire.left(end), request) != 0)
            return 0;
    } else {
        request = requestOf(input);
    }
    const WebDecision d = decideRequest(request, token);
    // One Authorization header with the scheme in any case, then spaces and the token.
    int authorizations = 0;
    bool carriesToken = false;
    for (const auto &[name, value] : request.headers) {
        if (name.compare("authorization", Qt::CaseInsensitive) != 0)
            continue;
        ++authorizations;
        carriesToken = value.size() > 7 && value.left(7).compare("bearer ", Qt::CaseInsensitive) == 0
                       && value.mid(7).trimmed() == token;
    }
    carriesToken = carriesToken && authorizations == 1;

    static const int Statuses[] = {200, 400, 401, 404, 405, 413, 414, 431};
    fuzzCheck(std::find(std::begin(Statuses), std::end(Statuses), d.status) != std::end(Statuses),
              "a status the view gives");
    fuzzCheck((d.status == 200) == (d.route != WebRoute::Refused), "served exactly when 200");
    if (d.status == 200) {
        fuzzCheck(request.method == "GET" || request.method == "HEAD", "only GET and HEAD are served");
        fuzzCheck(!announcesBody(request), "no request with a body is served");
        fuzzCheck(token.isEmpty() || carriesToken, "with a token, only a request that carries it is served");
        fuzzCheck(d.id >= 0, "ids are not negative");
    }
    if (!token.isEmpty() && !carriesToken)
        fuzzCheck(d.status == 400 || d.status == 401 || d.status == 414 || d.status == 431,
                  "without the token, nothing is told but that it is needed");
    // The whole answer, with no tester and no archive, is given too.
    static const WebView view([] { return std::vector<const TesterSession *>(); }, QByteArray("<html>"));
    WebView checked(view);
    checked.setToken(token);
    const WebView::Reply reply = checked.answer(request);
    fuzzCheck(reply.status == d.status || reply.status == 404, "the view answers as decided");
    fuzzCheck(!reply.stream, "nothing streams without an archive");
    return 0;
}
