#pragma once

#include <QDialog>

#include <cstdio>
#include <filesystem>
#include <string>

class ISettings;
class QCheckBox;
class QLabel;
class QPushButton;

// Shows one short hint about the program at a time, taken in turn from the tips file. Where the
// next tip starts is remembered in the settings, so that consecutive showings walk through the
// file and wrap around at its end; a replaced file (a new creation time) starts again at its top.
// The constructor reads one tip even when the dialog is not shown, and the destructor records the
// position after it, so every start-up advances by one tip.
class CTipDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTipLength = 999;

    // Reads the settings and the tip to show; the tips file lies in directory (the working
    // directory when empty).
    explicit CTipDlg(ISettings& settings, const std::filesystem::path& directory = {},
                     QWidget* parent = nullptr);
    ~CTipDlg() override;

    bool ShowAtStartup() const { return showAtStartup_; }
    const std::string& TipText() const { return tipText_; }

    // Reads lines until one is a tip and keeps it.
    void ReadNextTip();

    // The file's creation time as the fixed 24-character date text ("Wed Jun 30 21:49:08 1993").
    static std::string CreationTimeText(const std::filesystem::path& file);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void OnClose();
    bool SeekTo(long position);

    ISettings& settings_;
    std::FILE* file_ = nullptr;
    std::string tipText_;
    bool showAtStartup_ = true;
    QCheckBox* showCheck_ = nullptr;
    QLabel* tipLabel_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QWidget* pictureArea_ = nullptr;
};
