// MORVINE, le visualiseur : une seule copie par utilisateur ; une seconde
// copie passe ses fichiers à la première et s'arrête sans fenêtre.
#include "platform/application_protegee.h"
#include "platform/instance.h"
#include "platform/options_terminal.h"
#include "platform/sonde.h"
#include "platform/unites.h"
#include "viewer/ui/arret.h"
#include "viewer/ui/auto_controle.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/instance_morvine.h"
#include "viewer/ui/ligne_commande.h"

#include <QApplication>
#include <QTextStream>

#include <csignal>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    // Une limite de taille de fichier atteinte par un vidage donne une
    // erreur d'écriture que l'on explique, pas la mort du programme.
    std::signal(SIGXFSZ, SIG_IGN);
    const auto option = plateforme::repondre_option_terminal(
        argc, argv,
        {u"morvine"_s, u"[--self-test | --help | --version | FICHIER...]"_s,
         u"Visualiseur de fichiers : texte modifiable, vidage hexadécimal, table dBase,\n"
         u"texte de traitement de texte ou image. Une copie déjà ouverte reçoit les fichiers."_s,
         u"  FICHIER      ouvert chacun dans sa fenêtre\n"_s});
    if (option)
        return *option;
    plateforme::ApplicationProtegee app(argc, argv);
    QApplication::setApplicationName(u"Visualiseur"_s);
    plateforme::poser_icone_programme(u":/icones/morvine.png"_s);
    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.value(0) == u"--self-test"_s) {
        QTextStream sortie(stdout);
        return morvine::auto_controle(sortie);
    }
    plateforme::TableUnites::instance().charger();
    plateforme::demarrer_sonde_si_demandee(); // essais de bout en bout seulement
    QStringList fichiers = morvine::fichiers_ligne_commande(arguments);
    // Un nom relatif (EDITER de KALDRON en passe) part du répertoire où l'on
    // nous lance : il est fixé avant que le démarrage n'en change ou ne
    // passe les noms à la copie déjà lancée.
    for (QString& fichier : fichiers)
        fichier = morvine::nom_document(fichier);

    plateforme::InstanceUnique instance(u"morvine"_s);
    switch (morvine::demarrer_instance(instance, fichiers)) {
    case morvine::Demarrage::Transmis:
        return 0;
    case morvine::Demarrage::Echec: // déjà expliqué à l'usager
        return 1;
    case morvine::Demarrage::Premiere:
        break;
    }
    Editeur editeur;
    morvine::brancher_instance(instance, editeur);
    morvine::arreter_sur_signal([&editeur] { editeur.vidages.supprimer_tous(); });
    // Les premiers chargements (ligne de commande) passent sous le filet,
    // comme tous ceux qui suivent : une erreur y est expliquée, pas fatale.
    app.proteger([&] { editeur.MDIForm_Load(fichiers); });
    return app.exec();
}
