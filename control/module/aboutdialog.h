#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace velkan::control {

// The control's about box: its icon, name and version, and an OK button. AboutBox runs it
// modally with no owner; tests find it as the application's active modal widget.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    [[nodiscard]] QLabel& Icon() const { return *m_icon; }
    [[nodiscard]] QLabel& VersionLabel() const { return *m_version; }
    [[nodiscard]] QPushButton& OkButton() const { return *m_ok; }

private:
    QLabel* m_icon = nullptr;
    QLabel* m_version = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace velkan::control
