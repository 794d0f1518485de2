// KALDRON, gestionnaire de fichiers : démarrage par l'écran d'accueil.
#include "manager/common/dialogue.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/apropos.h"
#include "manager/main_window/auto_controle.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/application_protegee.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/formats.h"
#include "platform/instance.h"
#include "platform/options_terminal.h"
#include "platform/sonde.h"
#include "platform/unites.h"
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QPointer>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Les questions à boutons libellés passent par la fenêtre Dialogue.
void installer_dialogue() {
    auto* qt = dynamic_cast<plateforme::DialoguesQt*>(&plateforme::dialogues());
    if (!qt)
        return;
    qt->definir_message_dialogue([](const QString& t, const QString& b1, const QString& b2,
                                    const QString& b3, const QString& i, const QString& titre) {
        return Dialogue::instance().poser(t, b1, b2, b3, i, titre);
    });
}

// Bancs d'essai du démarrage : une ligne sur le descripteur $KALDRON_PRET_FD
// dès que la boucle d'événements n'a plus rien à faire, la fenêtre
// principale chargée.
void signaler_pret_si_demande() {
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("KALDRON_PRET_FD", &ok);
    if (!ok || fd < 0)
        return;
    auto connexion = std::make_shared<QMetaObject::Connection>();
    *connexion = QObject::connect(QAbstractEventDispatcher::instance(),
                                  &QAbstractEventDispatcher::aboutToBlock, [fd, connexion] {
                                      QObject::disconnect(*connexion);
                                      (void)!::write(fd, "pret\n", 5);
                                      ::close(fd);
                                  });
}

// Charge les greffons d'images de Qt, comme le ferait la lecture d'une image
// dont le format est à deviner, sans rien lire.
void charger_greffons_d_images() {
    QBuffer vide;
    vide.open(QIODevice::ReadOnly);
    QImageReader lecteur(&vide, "png");
    (void)lecteur.canRead();
}

} // namespace

int main(int argc, char** argv) {
    const auto option = plateforme::repondre_option_terminal(
        argc, argv,
        {u"kaldron"_s, u"[--self-test | --help | --version | RÉPERTOIRE]"_s,
         u"Gestionnaire de fichiers à deux cadres (SOURCE et DESTINATION), avec sa propre "
         u"corbeille\net son visualiseur MORVINE."_s,
         u"  RÉPERTOIRE   le cadre SOURCE s'ouvre sur ce répertoire\n"_s});
    if (option)
        return *option;
    plateforme::ApplicationProtegee app(argc, argv);
    // La configuration des polices (fontconfig relit et analyse la sienne à
    // chaque lancement) et les greffons d'images (chargés tous pour lire les
    // icônes de dossiers du style) se préparent sur un autre cœur pendant que
    // le reste démarre : les listes de la fenêtre principale les attendaient.
    // Déclaré après l'application, le fil la précède à la sortie.
    const std::jthread preparation([] {
        QFontDatabase::families();
        charger_greffons_d_images();
    });
    QApplication::setApplicationName(u"KALDRON"_s);
    plateforme::poser_icone_programme(u":/icones/kaldron.png"_s);
    if (argc > 1 && std::strcmp(argv[1], "--self-test") == 0) {
        QTextStream sortie(stdout);
        return auto_controle(sortie);
    }
    plateforme::TableUnites::instance().charger();
    // Un répertoire donné en argument (gestionnaire de bureau, terminal)
    // devient celui du processus : le cadre SOURCE s'y ouvre.
    const QString demande = argc > 1 ? QFile::decodeName(argv[1]) : QString();
    const bool sur_demande =
        !demande.isEmpty() && QFileInfo(demande).isDir() && QDir::setCurrent(demande);
    // Les listes partent du répertoire où le programme a été lancé.
    plateforme::adopter_repertoire_du_processus();
    installer_dialogue();
    if (!demande.isEmpty() && !sur_demande) {
        plateforme::dialogues().bip();
        plateforme::dialogues().message(
            u"Le répertoire "_s + demande + u" est introuvable ou inaccessible :"_s + QChar(13) +
                u"KALDRON s'ouvre sur son répertoire initial."_s,
            plateforme::MB_OK + plateforme::MB_EXCLAMATION, u"KALDRON"_s);
    }
    plateforme::demarrer_sonde_si_demandee(); // essais de bout en bout seulement

    plateforme::InstanceUnique instance(u"kaldron"_s);
    const auto prise = instance.acquerir();
    if (refuser_demarrage(prise, instance.erreur()))
        return prise == plateforme::InstanceUnique::Acquisition::AutreCopie ? 0 : 1;

    QPointer<Gestion_Fichiers> principale;
    // Une erreur échappée d'une commande est expliquée, puis la fenêtre
    // revient à l'état d'attente au lieu de se fermer.
    app.definir_rapport([&principale](const plateforme::ErreurExecution& e, bool imbriquee) {
        Rapport_erreur_non_traitee(e, imbriquee);
        if (principale && !imbriquee)
            principale->Rafraichir_affichage();
    });
    QPointer<Apropos> apropos;
    auto apropos_courant = [&apropos] { return apropos; };
    apropos = new Apropos([&principale, apropos_courant, sur_demande] {
        // La fenêtre principale se charge pendant que l'accueil est montré.
        auto* f = new Gestion_Fichiers;
        f->setAttribute(Qt::WA_DeleteOnClose);
        principale = f;
        f->heure_depart = plateforme::secondes_monotones();
        f->ouvrir_au_repertoire_courant = sur_demande;
        f->apropos = apropos_courant();
        // Comme à l'origine, la fenêtre ne paraît qu'une fois chargée.
        f->Form_Load(true);
        f->show();
        signaler_pret_si_demande();
    });
    apropos->Form_Load();
    apropos->show();
    // En icône, l'accueil n'a pas à se peindre avant le chargement de la
    // fenêtre principale : celle-ci se charge sans attendre le pas de la minuterie.
    if (est_oui(reglages().iconisé))
        apropos->Attente->start(0);
    return app.exec();
}
