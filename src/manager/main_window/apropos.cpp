#include "manager/main_window/apropos.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/main_window/placement.h"
#include "platform/dialogues.h"
#include "platform/formats.h"
#include "platform/options_terminal.h"
#include "platform/programme.h"
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

bool refuser_seconde_copie(bool autre_copie) {
    if (!autre_copie)
        return false;
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Le gestionnaire de fichiers est déjà chargé."_s,
                                    plateforme::MB_OK, u"KALDRON"_s);
    return true;
}

bool refuser_demarrage(plateforme::InstanceUnique::Acquisition prise, const QString& erreur) {
    if (prise != plateforme::InstanceUnique::Acquisition::Impossible)
        return refuser_seconde_copie(prise == plateforme::InstanceUnique::Acquisition::AutreCopie);
    // Pas « déjà chargé » quand c'est faux, ni démarrage sans garde.
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Le gestionnaire de fichiers ne peut pas démarrer."_s +
                                        QChar(13) + erreur,
                                    plateforme::MB_OK + plateforme::MB_STOP, u"KALDRON"_s);
    return true;
}

Apropos::Apropos(std::function<void()> montrer_principale, QWidget* parent)
    : QWidget(parent, Qt::Dialog), Attente(new QTimer(this)), OK(new QPushButton(u"OK"_s, this)),
      Titre(new QLabel(this)), m_montrer_principale(std::move(montrer_principale)) {
    setObjectName(u"Apropos"_s);
    setWindowTitle(u"A propos de KALDRON"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    placer(this, 0, 0, 5400, 3000);
    setFixedSize(size());
    Titre->setAlignment(Qt::AlignCenter);
    placer(Titre, 240, 240, 4920, 1800);
    placer(OK, 2100, 2280, 1200, 375);
    Attente->setSingleShot(true);
    Attente->setInterval(100);
    connect(Attente, &QTimer::timeout, this, [this] { Attente_Timer(); });
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
}

// Le titre en texte riche se met en page dès qu'il est posé, et fait
// charger les polices : en icône, personne ne le voit, il attend donc que
// la fenêtre se montre vraiment.
void Apropos::poser_titre() {
    if (!Titre->text().isEmpty() || isMinimized())
        return;
    Titre->setText(u"<h2>KALDRON</h2><p>Gestionnaire de fichiers</p>"
                   "<p>avec son visualiseur MORVINE<br>version "_s +
                   plateforme::version() + u"</p>"_s);
}

void Apropos::showEvent(QShowEvent* e) {
    poser_titre();
    QWidget::showEvent(e);
}

void Apropos::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange && isVisible())
        poser_titre();
    QWidget::changeEvent(e);
}

void Apropos::Form_Load() {
    const QScreen* ecran = screen();
    const int largeur_ecran = ecran ? ecran->geometry().width() : 1024;
    move((largeur_ecran - width()) / 2, plateforme::twips_vers_pixels_y(900));
    Reglages& r = reglages();
    if (r.unité_programme.isEmpty()) {
        // Démarrage : le chemin de KALDRON.INI doit être connu avant la lecture.
        Reglages chemins;
        configuration::etablir_chemins(chemins, plateforme::repertoire_programme());
        r.chemin_configuration = chemins.chemin_configuration;
        configuration::lire_iconise(r);
        setWindowState(est_oui(r.iconisé) ? Qt::WindowMinimized : Qt::WindowNoState);
        OK->hide();
    }
    Attente->start();
}

void Apropos::Attente_Timer() {
    Attente->stop();
    if (reglages().unité_programme.isEmpty()) {
        if (m_montrer_principale)
            m_montrer_principale();
        return;
    }
    if (OK->isVisible())
        OK->setFocus();
}

void Apropos::OK_Click() {
    close();
}

void Apropos::keyPressEvent(QKeyEvent* e) {
    const bool fermer =
        e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape;
    // À l'accueil, OK est caché : la fenêtre principale attend son minuteur.
    if (fermer && (e->modifiers() | Qt::KeypadModifier) == Qt::KeypadModifier && OK->isVisible()) {
        OK->click();
        return;
    }
    QWidget::keyPressEvent(e);
}
