#include "traffic/core/AppNameResolver.h"

AppNameResolver::AppNameResolver(RunningAppsSource runningApps, const Clock& clock,
                                 double reuseSeconds)
    : m_runningApps(std::move(runningApps)), m_clock(clock), m_reuseSeconds(reuseSeconds) {}

const std::map<QString, QString>& AppNameResolver::knownMap() {
    static const std::map<QString, QString> map = {
        {QStringLiteral("WeChat"), QStringLiteral("微信")},
        {QStringLiteral("Weixin"), QStringLiteral("微信")},
        {QStringLiteral("QQ"), QStringLiteral("QQ")},
        {QStringLiteral("QQMusic"), QStringLiteral("QQ音乐")},
        {QStringLiteral("TIM"), QStringLiteral("TIM")},
        {QStringLiteral("dingtalk"), QStringLiteral("钉钉")},
        {QStringLiteral("DingTalk"), QStringLiteral("钉钉")},
        {QStringLiteral("AliWangWang"), QStringLiteral("阿里旺旺")},
        {QStringLiteral("aliyunpan"), QStringLiteral("阿里云盘")},
        {QStringLiteral("AliYunPan"), QStringLiteral("阿里云盘")},
        {QStringLiteral("Thunder"), QStringLiteral("迅雷")},
        {QStringLiteral("xunlei"), QStringLiteral("迅雷")},
        {QStringLiteral("Youku"), QStringLiteral("优酷")},
        {QStringLiteral("bilibili"), QStringLiteral("哔哩哔哩")},
        {QStringLiteral("Bilibili"), QStringLiteral("哔哩哔哩")},
        {QStringLiteral("TaobaoProtect"), QStringLiteral("淘宝安全")},
        {QStringLiteral("BaiduNetdisk"), QStringLiteral("百度网盘")},
        {QStringLiteral("baidunetdisk"), QStringLiteral("百度网盘")},
        {QStringLiteral("Lark"), QStringLiteral("飞书")},
        {QStringLiteral("Feishu"), QStringLiteral("飞书")},
        {QStringLiteral("Wemeet"), QStringLiteral("腾讯会议")},
        {QStringLiteral("TencentMeeting"), QStringLiteral("腾讯会议")},
        {QStringLiteral("cloudmusic"), QStringLiteral("网易云音乐")},
        {QStringLiteral("netease cloud music"), QStringLiteral("网易云音乐")},
        {QStringLiteral("kwmusic"), QStringLiteral("酷狗音乐")},
        {QStringLiteral("kugou"), QStringLiteral("酷狗音乐")},
        {QStringLiteral("xiami"), QStringLiteral("虾米音乐")},
        {QStringLiteral("com.apple.WebKit.Networking"), QStringLiteral("WebKit 网络")},
        {QStringLiteral("com.apple.WebKit.WebContent"), QStringLiteral("WebKit 内容")},
        {QStringLiteral("com.apple.WebKit.Storage"), QStringLiteral("WebKit 存储")},
        {QStringLiteral("com.apple.nsurlsessiond"), QStringLiteral("系统更新与下载")},
    };
    return map;
}

QString AppNameResolver::resolve(const QString& name) {
    const auto cached = m_cache.constFind(name);
    if (cached != m_cache.constEnd())
        return *cached;
    const QString result = lookUp(name);
    m_cache.insert(name, result);
    return result;
}

const std::vector<RunningApp>& AppNameResolver::runningApps() {
    const double now = m_clock.elapsedSeconds();
    if (!m_snapshotTime || now - *m_snapshotTime >= m_reuseSeconds || now < *m_snapshotTime) {
        m_snapshot = m_runningApps();
        m_snapshotTime = now;
    }
    return m_snapshot;
}

QString AppNameResolver::lookUp(const QString& name) {
    const auto known = knownMap().find(name);
    if (known != knownMap().end())
        return known->second;
    if (!m_runningApps || name.isEmpty())
        return name;
    for (const RunningApp& app : runningApps()) {
        if (app.executablePath.isEmpty())
            continue;
        const QStringView file = QStringView(app.executablePath)
                                     .mid(app.executablePath.lastIndexOf(QLatin1Char('/')) + 1);
        if (file == name)
            return app.localizedName.isEmpty() ? name : app.localizedName;
    }
    return name;
}

QString AppNameResolver::friendlyName(const QString& name) {
    static AppNameResolver shared(&runningApplications);
    return shared.resolve(name);
}
