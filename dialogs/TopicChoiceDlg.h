#pragma once

#include <QDialog>

class CPassageStore;
class QButtonGroup;

// One button per topic, serving two uses that the store's topic dialog mode tells apart. As the
// topic filter (mode 1) every click lists the passages with that topic on top of this dialog,
// which stays open until the user closes it. As the topic choice (mode 2) a click chooses the
// topic and closes the dialog with OK. Either way the topic travels through the store's topic
// number: the caller sets it before opening (it selects the matching button) and reads it after.
class CTopicChoiceDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTopicButtons = 57; // topics 1..57
    static constexpr int kFirstButtonId = 2001;
    static constexpr int kFilterMode = 1;
    static constexpr int kChoiceMode = 2;

    explicit CTopicChoiceDlg(CPassageStore& store, QWidget* parent = nullptr);

    // Position of the selected button, 0..56, or -1 when none is selected.
    int SelectedIndex() const;

    // The label of the button of a topic, 1..57; empty for any other number.
    static QString ButtonLabel(int topic);

private:
    void CreateButtons();
    void OnTopicClicked(int index);

    CPassageStore& store_;
    QButtonGroup* group_ = nullptr;
};
