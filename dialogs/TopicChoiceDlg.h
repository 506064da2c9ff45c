// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class CPassageStore;
class QButtonGroup;

// One button per topic, serving two uses. As the topic filter every click lists the passages
// with that topic on top of this dialog, which stays open until the user closes it. As the topic
// choice a click chooses the topic and closes the dialog with OK. Either way the dialog opens with
// the button of the caller's topic selected, and the topic last clicked is its result.
class CTopicChoiceDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTopicButtons = 57; // topics 1..57
    static constexpr int kFirstButtonId = 2001;

    enum class Mode { Filter, Choice };

    // topic selects its button (none for topic 0, "n/a", or a number without a button). The
    // filter lists the passages of store in translation transFilter (kTransAll for every
    // translation); store outlives the dialog.
    CTopicChoiceDlg(Mode mode, int topic, const CPassageStore& store, int transFilter,
                    QWidget* parent = nullptr);

    // The topic last clicked, or the opening topic when none was.
    int Topic() const { return topic_; }

    // Position of the selected button, 0..56, or -1 when none is selected.
    int SelectedIndex() const;

    // The label of the button of a topic, 1..57; empty for any other number.
    static QString ButtonLabel(int topic);

private:
    void CreateButtons();
    void OnTopicClicked(int index);

    Mode mode_;
    int topic_;
    const CPassageStore& store_;
    int transFilter_;
    QButtonGroup* group_ = nullptr;
};
