// SPDX-License-Identifier: GPL-2.0-or-later
// The Edit Passage dialog's From Bible, with a Bible of the test's own and through the program's
// Bible library over the Bibles installed on this computer.

#include "EditDialogSupport.h"
#include "InstalledBibles.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "WindowTest.h"

#include <QTemporaryDir>

#include <algorithm>

namespace {

// A Bible of the KJV only, whose chapters have ten verses, each verse its number ("v3").
class CTenVerseBible : public IBibleSource {
public:
    std::vector<int> Translations() override { return {kKjv}; }
    int LastVerse(int trans, int, int) override { return trans == kKjv ? 10 : -1; }
    bool Verses(int trans, int, int, int first, int last, std::vector<std::string>& texts,
                std::string& reason) override {
        if (trans != kKjv || last > 10) {
            reason = "No such Bible";
            return false;
        }
        for (int verse = first; verse <= last; ++verse)
            texts.push_back(std::string("v").append(std::to_string(verse)));
        return true;
    }
    static constexpr int kKjv = 3;
};

} // namespace

class EditBibleTest : public CEditTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void init() { LoadSample(); }
    void cleanup() { CloseAndForgetBoxes(); }

    // From Bible (Ctrl+B) fills the three texts from the Bible and the checks run; without a
    // Bible for the translation it tells why and leaves every text as it was.
    void fromBible() {
        CTenVerseBible bible;
        Dlg dialog(nullptr, 0, *store_, kTransAll);
        QVERIFY(!Button(dialog, Dlg::kFromBible)->isEnabled());
        dialog.SetBible(&bible, 2, 1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        FillJohn(dialog, 0);
        Line(dialog, Dlg::kFirstVerse)->setText(QStringLiteral("2"));
        Line(dialog, Dlg::kLastVerse)->setText(QStringLiteral("3"));
        Button(dialog, Dlg::kFromBible)->click();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text, QStringLiteral("No such Bible"));
        QCOMPARE(Box(dialog, Dlg::kContextBox)->toPlainText(), kContext);

        List(dialog, Dlg::kTransList)->setCurrentIndex(CTenVerseBible::kKjv);
        QTest::keyClick(Box(dialog, Dlg::kContextBox), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(Box(dialog, Dlg::kContextBox)->toPlainText(),
                 QStringLiteral("1 v1\n2 v2\n3 v3\n4 v4"));
        QCOMPARE(Box(dialog, Dlg::kPassageBox)->toPlainText(), QStringLiteral("2 v2\n3 v3"));
        QCOMPARE(Box(dialog, Dlg::kHintBox)->toPlainText(), QStringLiteral("v2"));
        QVERIFY(Verify(dialog).startsWith(QStringLiteral("<psg key=\"540030023\" vCount=\"02\"")));
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());

        // A verse past the chapter's end is refused with its reason.
        Line(dialog, Dlg::kLastVerse)->setText(QStringLiteral("11"));
        QCOMPARE(Verify(dialog), QStringLiteral("John 3:11 is not in the KJV Bible: John 3 has "
                                                "10 verses"));
        QVERIFY(!Button(dialog, Dlg::kSave)->isEnabled());
        boxes_.shown.clear();
    }

    // The installed Bibles are read through the program's Bible library, opened at the first
    // question; without it every question is answered as if no Bible were installed, and the
    // reason says why.
    void installedBiblesThroughTheirLibrary() {
        constexpr int kJohn = 54;
        const QString absent = dir_.filePath(QStringLiteral("no-such-library.so"));
        CInstalledBibles missing(absent);
        QVERIFY(missing.Translations().empty());
        QCOMPARE(missing.LastVerse(CTenVerseBible::kKjv, kJohn, 3), -1);
        std::vector<std::string> texts{"left over"};
        std::string reason;
        QVERIFY(!missing.Verses(CTenVerseBible::kKjv, kJohn, 3, 16, 16, texts, reason));
        QVERIFY(texts.empty());
        const QString why = QString::fromStdString(reason);
        QVERIFY2(why.startsWith(QStringLiteral("The library that reads the installed Bibles "
                                               "could not be loaded: ")) &&
                     why.contains(absent),
                 qPrintable(why));

        CInstalledBibles bibles(QStringLiteral(RECITOR_BIBLE_LIBRARY));
        const std::vector<int> installed = bibles.Translations();
        QVERIFY(std::find(installed.begin(), installed.end(), CTenVerseBible::kKjv) !=
                installed.end());
        QCOMPARE(bibles.LastVerse(CTenVerseBible::kKjv, kJohn, 3), 36);
        QVERIFY2(bibles.Verses(CTenVerseBible::kKjv, kJohn, 3, 16, 16, texts, reason),
                 reason.c_str());
        QVERIFY(texts.at(0).starts_with("For God so loved the world"));
    }
};

RECITOR_UI_TEST_MAIN(EditBibleTest)
#include "test_edit_bible.moc"
