#include "manager/common/message_dialogue.h"
#include "platform/dialogues.h"
#include <QtMath>
#include <cmath>

using namespace Qt::StringLiterals;

int Message_dialogue(const QString& texte, const QString& legende1, const QString& legende2,
                     const QString& legende3, const QString& icone, const QString& titre) {
    return plateforme::dialogues().message_dialogue(texte, legende1, legende2, legende3, icone,
                                                    titre);
}

namespace {

// Abscisses des boutons montrés, selon le masque (F largeur, P pas).
void placer_horizontalement(DispositionDialogue& d, double F, double P) {
    const double tiers = (F - 2 * P) / 3;
    switch (d.masque) {
    case 1:
    case 2:
    case 4: {
        const int i = d.masque == 1 ? 0 : (d.masque == 2 ? 1 : 2);
        d.boutons[i].moveLeft((F - P) / 2);
        break;
    }
    case 3:
        d.boutons[0].moveLeft(tiers);
        d.boutons[1].moveLeft(2 * tiers + P);
        break;
    case 5:
        d.boutons[0].moveLeft(tiers);
        d.boutons[2].moveLeft(2 * tiers + P);
        break;
    case 6:
        d.boutons[1].moveLeft(tiers);
        d.boutons[2].moveLeft(2 * tiers + P);
        break;
    case 7:
        d.boutons[0].moveLeft((F - 3 * P) / 4);
        d.boutons[1].moveLeft(F / 2 - P / 2);
        d.boutons[2].moveLeft(3 * (F - 3 * P) / 4 + 2 * P);
        break;
    }
    // Le bouton par défaut est toujours le premier montré.
    d.bouton_defaut = (d.masque & 1) ? 1 : ((d.masque & 2) ? 2 : 3);
}

} // namespace

DispositionDialogue disposer_dialogue(const MesuresDialogue& m, const QString& texte,
                                      const QString& legende1, const QString& legende2,
                                      const QString& legende3) {
    DispositionDialogue d;
    const double lignes = std::nearbyint(m.largeur_texte(texte) / m.largeur_message + 1);
    d.hauteur_message = std::max(3.0, lignes) * m.hauteur_texte(texte);

    double plus_large = 0;
    const QString legendes[3] = {legende1, legende2, legende3};
    for (int i = 0; i < 3; ++i) {
        if (legendes[i].isEmpty())
            continue;
        d.legendes[i] = u" "_s + legendes[i];
        const double w = m.largeur_texte(d.legendes[i]);
        if (w > plus_large)
            plus_large = std::nearbyint(w + 50);
        d.masque |= 1 << i;
    }
    if (d.masque == 0) {
        d.legendes[0] = u" &OK"_s;
        const double w = m.largeur_texte(u"    OK   "_s);
        if (w > plus_large)
            plus_large = std::nearbyint(w + 50);
        d.masque = 1;
    }
    const double haut = m.haut_message + d.hauteur_message + 200;
    for (QRectF& b : d.boutons)
        b = QRectF(0, haut, plus_large, m.hauteur_bouton);
    placer_horizontalement(d, m.largeur_dialogue, plus_large + 150);
    d.hauteur_dialogue = haut + m.hauteur_bouton + 700;
    return d;
}
