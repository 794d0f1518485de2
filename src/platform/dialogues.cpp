#include "platform/dialogues.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"

#include <QApplication>
#include <QFileDialog>
#include <QHash>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>

namespace plateforme {

namespace {

ServiceDialogues* g_service = nullptr;

QList<int> boutons_du_style(int style) {
    switch (style & 0x0F) {
    case MB_OK_ANNULER:
        return {REP_OK, REP_ANNULER};
    case MB_ABANDON_REESSAYER_IGNORER:
        return {REP_ABANDON, REP_REESSAYER, REP_IGNORER};
    case MB_OUI_NON_ANNULER:
        return {REP_OUI, REP_NON, REP_ANNULER};
    case MB_OUI_NON:
        return {REP_OUI, REP_NON};
    case MB_REESSAYER_ANNULER:
        return {REP_REESSAYER, REP_ANNULER};
    default: // 0 et les valeurs inconnues : OK seul
        return {REP_OK};
    }
}

// Échap ne répond que là où un bouton Annuler existe, ou OK s'il est seul.
int echappement_de(const QList<int>& boutons) {
    if (boutons.contains(REP_ANNULER))
        return REP_ANNULER;
    if (boutons == QList<int>{REP_OK})
        return REP_OK;
    return 0;
}

QMessageBox::Icon icone_qt(int icone) {
    switch (icone) {
    case MB_STOP:
        return QMessageBox::Critical;
    case MB_QUESTION:
        return QMessageBox::Question;
    case MB_EXCLAMATION:
        return QMessageBox::Warning;
    case MB_INFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::ButtonRole role_de(int reponse) {
    switch (reponse) {
    case REP_ANNULER:
    case REP_ABANDON:
        return QMessageBox::RejectRole;
    case REP_OUI:
        return QMessageBox::YesRole;
    case REP_NON:
        return QMessageBox::NoRole;
    default:
        return QMessageBox::AcceptRole;
    }
}

// Boîte sans réponse d'Échap : ni Échap ni la fermeture de la fenêtre n'agissent
// (Qt prendrait sinon le bouton Non ou Abandonner).
class SansEchappement : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Close && e->spontaneous()) {
            e->ignore();
            return true;
        }
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(objet, e);
    }
};

QWidget* fenetre_parente() {
    return QApplication::activeWindow();
}

QString titre_ou_application(const QString& titre) {
    return titre.isEmpty() ? QCoreApplication::applicationName() : titre;
}

// Un chemin DOS ("C:\DOC") est traduit ; un chemin de l'hôte passe tel quel.
QString repertoire_hote(const QString& repertoire) {
    static const QRegularExpression dos(QStringLiteral("^[A-Za-z]:"));
    if (!dos.match(repertoire).hasMatch())
        return repertoire;
    try {
        return dos_vers_hote(repertoire);
    } catch (const ErreurExecution&) {
        return {}; // unité inconnue : le sélecteur part de son défaut
    }
}

QString motifs_qt(const QString& motifs) {
    QStringList liste;
    for (const QString& m :
         motifs.split(QRegularExpression(QStringLiteral("[; ]+")), Qt::SkipEmptyParts))
        liste << (m == QLatin1String("*.*") ? QStringLiteral("*") : m);
    return liste.join(QLatin1Char(' '));
}

// Icône de Message_dialogue : code 16/32/48/64 ou fichier d'image.
void poser_icone(QMessageBox& boite, const QString& icone) {
    bool numerique = false;
    const int code = icone.toInt(&numerique);
    if (icone.isEmpty())
        return;
    if (numerique && icone_qt(code) != QMessageBox::NoIcon)
        boite.setIcon(icone_qt(code));
    else
        boite.setIconPixmap(QPixmap(icone));
}

} // namespace

DescriptionStyle decrire_style(int style) {
    DescriptionStyle d;
    d.boutons = boutons_du_style(style);
    const int icone = style & 0xF0;
    d.icone = icone_qt(icone) == QMessageBox::NoIcon ? 0 : icone;
    const int rang = (style & 0xF00) >> 8;
    d.defaut = d.boutons.value(rang, d.boutons.first());
    d.echappement = echappement_de(d.boutons);
    return d;
}

QString libelle_reponse(int reponse) {
    switch (reponse) {
    case REP_OK:
        return QStringLiteral("OK");
    case REP_ANNULER:
        return QStringLiteral("Annuler");
    case REP_ABANDON:
        return QStringLiteral("Abandonner");
    case REP_REESSAYER:
        return QStringLiteral("Réessayer");
    case REP_IGNORER:
        return QStringLiteral("Ignorer");
    case REP_OUI:
        return QStringLiteral("Oui");
    case REP_NON:
        return QStringLiteral("Non");
    default:
        return {};
    }
}

QString texte_affichable(const QString& texte) {
    QString t = texte;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QString filtre_qt(const QString& filtre) {
    static const QRegularExpression parentheses(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList morceaux = filtre.split(QLatin1Char('|'));
    QStringList paires;
    for (qsizetype i = 0; i + 1 < morceaux.size(); i += 2) {
        QString description = morceaux[i].trimmed();
        description.remove(parentheses);
        paires << description + QStringLiteral(" (") + motifs_qt(morceaux[i + 1]) +
                      QLatin1Char(')');
    }
    return paires.join(QStringLiteral(";;"));
}

ServiceDialogues& dialogues() {
    static DialoguesQt qt;
    return g_service ? *g_service : qt;
}

void installer_dialogues(ServiceDialogues* service) {
    g_service = service;
}

int DialoguesQt::message(const QString& texte, int style, const QString& titre) {
    const DescriptionStyle d = decrire_style(style);
    QMessageBox boite(icone_qt(d.icone), titre_ou_application(titre), texte_affichable(texte),
                      QMessageBox::NoButton, fenetre_parente());
    QHash<QAbstractButton*, int> reponses;
    for (int r : d.boutons) {
        QPushButton* b = boite.addButton(libelle_reponse(r), role_de(r));
        reponses.insert(b, r);
        if (r == d.defaut)
            boite.setDefaultButton(b);
        if (r == d.echappement)
            boite.setEscapeButton(b);
    }
    SansEchappement filtre;
    if (!d.echappement)
        boite.installEventFilter(&filtre);
    boite.exec();
    return reponses.value(boite.clickedButton(), d.echappement ? d.echappement : d.defaut);
}

QString DialoguesQt::saisie(const QString& invite, const QString& titre, const QString& defaut) {
    QInputDialog boite(fenetre_parente());
    boite.setWindowTitle(titre_ou_application(titre));
    boite.setLabelText(texte_affichable(invite));
    boite.setTextValue(defaut);
    boite.setOkButtonText(QStringLiteral("OK"));
    boite.setCancelButtonText(QStringLiteral("Annuler"));
    return boite.exec() == QDialog::Accepted ? boite.textValue() : QString();
}

int DialoguesQt::message_dialogue(const QString& texte, const QString& bouton1,
                                  const QString& bouton2, const QString& bouton3,
                                  const QString& icone, const QString& titre) {
    if (m_message_dialogue)
        return m_message_dialogue(texte, bouton1, bouton2, bouton3, icone, titre);
    QMessageBox boite(QMessageBox::NoIcon, titre, texte_affichable(texte), QMessageBox::NoButton,
                      fenetre_parente());
    poser_icone(boite, icone);
    const QStringList libelles{bouton1, bouton2, bouton3};
    QHash<QAbstractButton*, int> numeros;
    for (int i = 0; i < 3; ++i) {
        if (libelles[i].isEmpty())
            continue;
        QPushButton* b = boite.addButton(libelles[i], QMessageBox::ActionRole);
        numeros.insert(b, i + 1);
        if (!boite.defaultButton())
            boite.setDefaultButton(b);
    }
    if (numeros.isEmpty()) {
        QPushButton* ok = boite.addButton(QStringLiteral("&OK"), QMessageBox::AcceptRole);
        numeros.insert(ok, 1);
        boite.setDefaultButton(ok);
    }
    // Échap répond 3 même quand le troisième bouton n'est pas montré.
    QAbstractButton* echap = numeros.key(3);
    if (!echap) {
        echap = boite.addButton(QString(), QMessageBox::RejectRole);
        echap->hide();
        numeros.insert(echap, 3);
    }
    boite.setEscapeButton(echap);
    boite.exec();
    return numeros.value(boite.clickedButton(), 3); // Échap ou fermeture : 3
}

QString DialoguesQt::ouvrir_fichier(const QString& titre, const QString& filtre,
                                    const QString& repertoire) {
    return QFileDialog::getOpenFileName(fenetre_parente(), titre_ou_application(titre),
                                        repertoire_hote(repertoire), filtre_qt(filtre));
}

QString DialoguesQt::enregistrer_fichier(const QString& titre, const QString& filtre,
                                         const QString& repertoire) {
    return QFileDialog::getSaveFileName(fenetre_parente(), titre_ou_application(titre),
                                        repertoire_hote(repertoire), filtre_qt(filtre));
}

void DialoguesQt::bip() {
    QApplication::beep();
}

} // namespace plateforme
