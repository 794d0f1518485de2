#include "manager/main_window/auto_controle.h"
#include "platform/controle_installation.h"

using namespace Qt::StringLiterals;

int auto_controle(QTextStream& sortie) {
    using namespace plateforme;
    const QList<Controle> controles = {
        controler_unites(), controler_repertoire_windows(),
        controler_profil(u"KALDRON-CONTROLE.INI"_s, u"Répertoire éàü"_s), controler_plateforme_qt(),
        controler_programme()};
    return rendre_verdict(controles, u"KALDRON"_s, sortie);
}
