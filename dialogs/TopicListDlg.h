#pragma once

#include <QDialog>

#include <string>

class CPassageStore;
class QPlainTextEdit;

// Lists every passage that carries one topic, as primary or secondary topic, in the translation
// the translation filter selects: reference and topics on one line, the passage text below, an
// empty line after each. The topic is the store's topic number, which the opener sets; the
// dialog changes nothing in the store, and what the user types into the list is discarded.
class CTopicListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTopicListDlg(const CPassageStore& store, QWidget* parent = nullptr);

    // The list as Windows-1252 bytes with CR LF line breaks, and the number of passages in it.
    // transFilter is a translation number, kTransAll for every translation.
    static std::string ListText(const CPassageStore& store, int topic, int transFilter, int& count);
    // "Topic: <name>  Translation: <abbreviation>  Count: <count>".
    static QString Caption(int topic, int transFilter, int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* listBox_ = nullptr;
};
