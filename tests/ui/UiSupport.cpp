// SPDX-License-Identifier: GPL-2.0-or-later
#include "UiSupport.h"

#include "SyntheticCollection.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

MsgAnswer CScriptedMessageBoxes::Show(QWidget* owner, const QString& caption, const QString& text,
                                      MsgIcon icon, MsgButtons buttons) {
    shown.append({caption, text, icon, buttons});
    owners.append(owner);
    if (!answers.empty()) {
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoDefaultNo:
        break;
    }
    return MsgAnswer::No;
}

namespace Sample {

const char* const kJohnContext = "15 that everyone who believes\r\n"
                                 "16 For God so loved the world that he gave\r\n"
                                 "17 For God did not send";
const char* const kJohnPassage = "For God so loved the world";
const char* const kJohnHint = "For God so";

namespace {

// One element line, written independently of the program's own writer. The offsets are found in
// the in-memory context (line breaks CR LF); the file holds each break as backslash and n, which
// is two characters as well, so the offsets are the same in both.
std::string Element(const char* keyText, int vCount, int ctxLines, int psgLines,
                    const std::string& context, const std::string& passage, const std::string& hint,
                    int topic) {
    const auto psgStart = static_cast<int>(context.find(passage));
    const auto hintStart = static_cast<int>(context.find(hint));
    std::string escaped;
    for (std::size_t i = 0; i < context.size(); ++i) {
        if (context.compare(i, 2, "\r\n") == 0) {
            escaped += "\\n";
            ++i;
        } else
            escaped += context[i];
    }
    char numbers[200];
    std::snprintf(numbers, sizeof numbers,
                  "\" vCount=\"%02d\" ctxLines=\"%02d\" psgLines=\"%02d\" psgStart=\"%04d\" "
                  "psgEnd=\"%04d\" hintStart=\"%04d\" hintEnd=\"%04d\" topic=\"%04d\" context=\"",
                  vCount, ctxLines, psgLines, psgStart, psgStart + static_cast<int>(passage.size()),
                  hintStart, hintStart + static_cast<int>(hint.size()), topic);
    return std::string("<psg key=\"") + keyText + numbers + escaped + "\"> </psg>";
}

std::string Simple(const char* keyText, const std::string& text, int topic = 101) {
    return Element(keyText, 1, 1, 1, text, text, text.substr(0, 4), topic);
}

QByteArray File(const std::vector<std::string>& lines, bool withVersion) {
    char header[100];
    std::snprintf(header, sizeof header,
                  withVersion ? "<passages count=\"%03d\" formatversion=\"20031126\">"
                              : "<passages count=\"%03d\">",
                  static_cast<int>(lines.size()));
    std::string out = "<?xml version=\"1.0\" standalone=\"no\" ?>\r\n";
    out += header;
    out += "\r\n";
    for (const std::string& line : lines)
        out += line + "\r\n";
    out += "</passages>\r\n";
    return QByteArray::fromStdString(out);
}

std::string StatsLine(const char* keyText, int prog, int freq) {
    return std::string("<psg key=\"") + keyText + "\" prog=\"" + std::to_string(prog) +
           "\" freq=\"" + std::to_string(freq) + "\"> </psg>";
}

} // namespace

void WriteFiles(const QString& dir) {
    std::vector<std::string> info;
    for (int verse = 1; verse <= 13; ++verse) {
        char key[16];
        std::snprintf(key, sizeof key, "01001%03d3", verse);
        info.push_back(Simple(key, std::to_string(verse) + " Verse text"));
    }
    info.push_back(Simple("19023001/", "1 The LORD is my shepherd"));
    info.push_back(Simple("540030163", "16 For God so loved the world"));
    info.push_back(Element("540030168", 1, 3, 1, kJohnContext, kJohnPassage, kJohnHint, 901));
    info.push_back(Simple("540030178", "17 For God did not send his Son"));
    info.push_back(Element("560080283", 2, 2, 2, "28 And we know\r\n29 For whom he did foreknow",
                           "28 And we know\r\n29 For whom he did foreknow", "And we", 1009));
    WriteFile(dir + "/RctInfo.xml", File(info, true));
    WriteFile(dir + "/RctUser.xml", File({Simple("610040138", "13 I can do all this", 1010),
                                          Simple("610040198", "19 And my God will meet", 1010)},
                                         true));
    WriteFile(dir + "/RctStats.xml",
              File({StatsLine("540030168", 2, 0), StatsLine("540030178", 1, 1),
                    StatsLine("560080283", 3, 2), StatsLine("610040138", 4, 0)},
                   false));
    WriteFile(dir + "/RctStatsSpare.xml", File({}, false));
}

} // namespace Sample

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QMap<QString, QByteArray> Snapshot(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, ReadFile(dir + QLatin1Char('/') + name));
    return files;
}

void PrepareUiTestEnvironment() {
    // Held until the program ends: the settings file lands in the home directory (the standard
    // paths' test mode), the instance guard's lock and server in the runtime directory.
    static std::unique_ptr<QTemporaryDir> home;
    static std::unique_ptr<QTemporaryDir> runtime;
    home = std::make_unique<QTemporaryDir>();
    runtime = std::make_unique<QTemporaryDir>();
    qputenv("HOME", QFile::encodeName(home->path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home->path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
}

void OnNextModal(const std::function<void(QDialog*)>& action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

bool WriteSynthetic(const QString& dir, int baselineCount, int userCount, int activeCount) {
    SyntheticCollectionOptions options;
    options.baselineCount = baselineCount;
    options.userCount = userCount;
    options.revisedCount = 0;
    options.statsCount = activeCount;
    SyntheticCollectionInfo info;
    std::string error;
    if (WriteSyntheticCollection(dir.toStdString(), options, info, error))
        return true;
    QTest::qFail(error.c_str(), __FILE__, __LINE__);
    return false;
}

QString TextsNotShown(const QObject& window, std::span<const FixedText> texts) {
    QStringList wrong;
    for (const auto& [id, property, text] : texts) {
        const QList<QObject*> named = window.findChildren<QObject*>(QString::number(id));
        const QObject* object = id == kTheWindow ? &window : named.size() == 1 ? named[0] : nullptr;
        const QString shown = object ? object->property(property).toString()
                                     : QStringLiteral("%1 objects of that name").arg(named.size());
        if (!object || shown != QString::fromUtf8(text))
            wrong << QStringLiteral("%1 %2: \"%3\", not \"%4\"")
                         .arg(QString::number(id), QLatin1String(property), shown,
                              QString::fromUtf8(text));
    }
    return wrong.join(QLatin1Char('\n'));
}
