#pragma once

#include "engine/web/WebView.h"

// The whole body of a web view's answer; a streamed one is read to its end.
inline QByteArray bodyOf(const WebView::Reply &reply)
{
    if (!reply.stream)
        return reply.body;
    QByteArray body;
    for (QByteArray piece = reply.stream->next(); !piece.isEmpty(); piece = reply.stream->next())
        body += piece;
    return body;
}
