#include "manager/main_window/auto_controle.h"
#include "manager/common/visionneuse_aide.h"
#include "platform/controle_installation.h"
#include "platform/lancement.h"

using namespace Qt::StringLiterals;

namespace {

// Les pages d'aide doivent se trouver là où F1 les cherchera.
plateforme::Controle controler_pages_aide() {
    plateforme::Controle c(u"Pages d'aide"_s);
    const QString repertoire = aide::repertoire_pages();
    c.reussi = !repertoire.isEmpty();
    c.detail = c.reussi ? repertoire
                        : u"introuvables sous "_s + aide::repertoires_candidats().join(u" ou "_s);
    return c;
}

// Le visualiseur est cherché comme EDITER et les associations le cherchent.
plateforme::Controle controler_visionneuse() {
    plateforme::Controle c(u"Visualiseur MORVINE"_s);
    const QString trouve = plateforme::trouver_programme(u"MORVINE.EXE"_s);
    c.reussi = !trouve.isEmpty();
    c.detail = c.reussi ? trouve
                        : u"introuvable à côté de KALDRON, dans le répertoire Windows "
                          u"et dans le PATH"_s;
    return c;
}

} // namespace

int auto_controle(QTextStream& sortie) {
    using namespace plateforme;
    const QList<Controle> controles = {
        controler_unites(),
        controler_repertoire_windows(),
        controler_profil(u"KALDRON-CONTROLE.INI"_s, u"Répertoire éàü"_s),
        controler_plateforme_qt(),
        controler_traductions_qt(),
        controler_programme(),
        controler_pages_aide(),
        controler_visionneuse()};
    return rendre_verdict(controles, u"KALDRON"_s, sortie);
}
