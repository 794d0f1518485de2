#pragma once
// Passage entre les octets d'un fichier de texte (un caractère Windows-1252
// par octet) et le texte de la zone d'édition, sans rien perdre : une fin de
// paragraphe de la zone vaut la fin de ligne dominante du fichier ; une fin
// de ligne d'une autre sorte est montrée par son symbole (␍, ␊) et rendue
// telle quelle à l'enregistrement.
//
// Une ligne très longue est montrée en morceaux : chaque morceau après le
// premier commence par une fin de paragraphe suivie du symbole ↪ ; cette
// paire n'est pas une fin de ligne et disparaît à l'enregistrement. Tout est
// dans le texte de la zone : annuler, couper ou coller la garde juste.
#include <QList>
#include <QString>

class QTextCursor;

namespace morvine {

struct TexteEditeur {
    QString texte;     // fins de ligne dominantes en U+2029
    QString fin_ligne; // "\r\n", "\n" ou "\r"
};

// Symboles des fins de ligne minoritaires.
inline constexpr char16_t SYMBOLE_CR = 0x240D;
inline constexpr char16_t SYMBOLE_LF = 0x240A;
// Début d'un morceau qui continue la ligne précédente.
inline constexpr char16_t SYMBOLE_SUITE = 0x21AA;
// Longueur des morceaux d'une longue ligne : la mise en page d'un paragraphe
// se fait d'un bloc, et ses positions en pixels débordent au-delà de
// quelques millions de caractères.
inline constexpr qsizetype LONGUEUR_MORCEAU = 4096;

// "\r\n" pour un fichier sans fin de ligne (un nouveau texte).
TexteEditeur vers_editeur(const QString& octets);
// Par parts, pour un grand texte : sa fin de ligne dominante, puis le texte
// de la zone pour chaque part (finie par fin_de_part), qui s'ajoutent bout à
// bout comme le texte entier.
QString fin_dominante(const QString& octets);
QString vers_editeur(QStringView octets, const QString& fin_ligne);
// Fin de la part commencée en 'debut', d'au moins 'longueur' caractères :
// juste après une fin de ligne dominante, sinon la fin du texte.
qsizetype fin_de_part(const QString& octets, qsizetype debut, qsizetype longueur,
                      const QString& fin_ligne);
// 'brut' est le texte de la zone tel qu'il est rangé (QTextDocument::toRawText).
QString depuis_editeur(const QString& brut, const QString& fin_ligne);

// Texte de la zone sans les coupures des longues lignes, pour y chercher un
// mot à cheval sur deux morceaux ; 'coupures' reçoit la position (dans le
// texte rendu) de chaque coupure ôtée.
QString sans_coupures(const QString& brut, QList<qsizetype>& coupures);
// Position dans la zone d'un début (ou d'une fin) de mot du texte sans
// coupures, et l'inverse.
qsizetype vers_zone(qsizetype position, const QList<qsizetype>& coupures, bool fin = false);
qsizetype depuis_zone(qsizetype position, const QList<qsizetype>& coupures);

// Effacement d'un caractère (en avant ou en arrière) au curseur, quand une
// coupure le touche : c'est le caractère voisin de l'autre morceau qui part,
// jamais la coupure seule (qui changerait le fichier d'une fin de ligne).
// Faux si aucune coupure ne touche le curseur : l'effacement ordinaire vaut.
bool effacer_pres_coupure(QTextCursor& curseur, bool en_avant);
// Après Copier ou Couper : le presse-papiers reçoit la ligne entière, sans
// les coupures de la zone.
void presse_papiers_sans_coupures();

} // namespace morvine
