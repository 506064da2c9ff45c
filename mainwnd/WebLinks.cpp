// SPDX-License-Identifier: GPL-2.0-or-later
#include "WebLinks.h"

#include "CommandIds.h"
#include "Version.h"
#include "WebSites.h"

namespace {

enum class Site { Support, Home, BibleText, Versions };

// The outside sites are public places about Bible texts and translations.
constexpr const char* kBibleTextHost = "www.biblegateway.com";
constexpr const char* kVersionsHost = "www.bible-researcher.com";

struct Link {
    int id;
    Site site;
    const char* path;
};

constexpr Link kLinks[] = {
    {Id::kContactUs, Site::Support, ""},
    {Id::kHomePage, Site::Home, "/"},
    {Id::kUserManual, Site::Home, "/Documentation/UserManual.doc"},
    {Id::kSlideshow, Site::Home, "/training.html"},
    {Id::kVisitBibleSite, Site::BibleText, "/bible"},
    {Id::kVisitVersions, Site::Versions, "/culture/religion/bible/versions/"},
};

QString Web(const char* host, const char* path) {
    return QStringLiteral("https://") + QLatin1String(host) + QLatin1String(path);
}

QString MailTo() {
    return QStringLiteral("mailto:") + QLatin1String(WebSite::kSupportEmail);
}

} // namespace

QString WebLinks::Address(int commandId) {
    for (const Link& link : kLinks) {
        if (link.id != commandId)
            continue;
        switch (link.site) {
        case Site::Support:
            return MailTo();
        case Site::Home:
            return Web(WebSite::kHomeHost, link.path);
        case Site::BibleText:
            return Web(kBibleTextHost, link.path);
        case Site::Versions:
            return Web(kVersionsHost, link.path);
        }
    }
    return {};
}

QString WebLinks::UpdateMail(int userCount, int transFilter, double loadSeconds) {
    const QString prefix =
        MailTo() +
        QStringLiteral(
            "?Subject=Check%20for%20Recitor%20update&body=Your%20version:%20" RECITOR_VERSION);
    // Seconds with two decimals, five characters wide, with a point whatever the locale.
    const QString seconds =
        QString::number(loadSeconds, 'f', 2).rightJustified(5, QLatin1Char(' '));
    return prefix + QStringLiteral("-%1-[%2][%3]").arg(userCount).arg(transFilter).arg(seconds) +
           QStringLiteral("...We will e-mail you if there is an updated version. Other support is "
                          "available at ") +
           Web(WebSite::kForumHost, "/group/Recitor") +
           QStringLiteral("  Any comments you would like to share with us? (If so, please send "
                          "with this email.)  ");
}
