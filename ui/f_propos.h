#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace corvane::ui {

// The About box: created for each showing, modal, destroyed when closed.
class f_propos : public QDialog {
public:
    static constexpr int ClientWidth = 302;
    static constexpr int ClientHeight = 173;

    explicit f_propos(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QLabel*, 2> Label3{};
    QLabel* Label4 = nullptr;
    QPushButton* Command1 = nullptr;
};

} // namespace corvane::ui
