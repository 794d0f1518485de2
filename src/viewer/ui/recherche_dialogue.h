#pragma once
// Dialogue de recherche « Rechercher », non modal, à côté des documents.
#include <QDialog>
#include <array>

class Editeur;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Recherche : public QDialog {
public:
    explicit Recherche(Editeur& editeur, QWidget* parent = nullptr);

    void Form_Load();
    void Text1_Change();
    void optDirection_Click(int index);
    void cmdFind_Click();
    void cmdcancel_Click();

    QLabel* Label1;
    QLineEdit* Text1;
    QGroupBox* Frame1;
    std::array<QRadioButton*, 2> optDirection{}; // 0 arrière, 1 avant
    QCheckBox* chkCase;
    QPushButton *cmdFind, *cmdcancel;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void construire();
    Editeur& m_editeur;
};
