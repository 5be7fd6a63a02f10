#include "traffic/core/AppTrafficSourceText.h"

QString appTrafficSourceText(AppTrafficSource source) {
    switch (source) {
    case AppTrafficSource::AllProtocols:
        return QStringLiteral("应用流量：全部协议");
    case AppTrafficSource::TcpOnly:
        break;
    }
    return QStringLiteral("应用流量：仅 TCP（未启用全部协议的统计）");
}
