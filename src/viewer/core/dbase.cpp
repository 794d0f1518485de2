// Lecture des tables dBase : en-tête, descripteurs de champs, enregistrements.
#include "viewer/core/dbase.h"

#include "platform/windows1252.h"

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

constexpr int k_en_tete = 32;
constexpr int k_descripteur = 32;
constexpr char k_terminateur = 0x0D;
// Octets qu'un format peut placer entre le terminateur et les données
// (263 pour Visual FoxPro) : au-delà, la longueur d'en-tête est suspecte.
constexpr qint64 k_ecart_en_tete_max = 512;

int octet(const QByteArray& octets, int i) {
    return static_cast<uchar>(octets.at(i));
}

// Nom : les octets avant le premier zéro, dans les 11 octets du nom.
QString nom_champ(const QByteArray& descripteur) {
    qsizetype fin = descripteur.indexOf('\0');
    if (fin < 0 || fin > 11)
        fin = 11;
    return plateforme::depuis_1252(descripteur.constData(), fin);
}

// Descripteurs jusqu'à ce que la somme des longueurs atteigne la longueur
// d'enregistrement moins un, au terminateur, ou à la fin du fichier.
void lire_descripteurs(QIODevice& fichier, int longueur_enregistrement, TableDbase& table) {
    int somme = 0;
    while (true) {
        char premier = 0;
        if (fichier.peek(&premier, 1) == 1 && premier == k_terminateur)
            return;
        const QByteArray descripteur = fichier.read(k_descripteur);
        if (descripteur.size() < k_descripteur)
            return;
        table.noms.append(nom_champ(descripteur));
        table.types.append(descripteur.at(11));
        table.longueurs.append(octet(descripteur, 16));
        somme += octet(descripteur, 16);
        if (somme >= longueur_enregistrement - 1)
            return;
    }
}

// Se place au début des enregistrements : après le terminateur, ou à la
// longueur d'en-tête quand elle le désigne de façon vraisemblable (octets
// supplémentaires après le terminateur).
void aller_aux_enregistrements(QIODevice& fichier, qint64 longueur_en_tete) {
    char terminateur = 0;
    fichier.getChar(&terminateur);
    const qint64 ecart = longueur_en_tete - fichier.pos();
    if (!fichier.isSequential() && ecart > 0 && ecart <= k_ecart_en_tete_max &&
        longueur_en_tete <= fichier.size())
        fichier.seek(longueur_en_tete);
}

QStringList ligne_de(const QByteArray& enregistrement, int numero, const TableDbase& table) {
    QStringList cellules;
    cellules.reserve(table.longueurs.size() + 1);
    cellules.append(QString::number(numero));
    qsizetype position = 1; // après l'octet de suppression
    for (qsizetype k = 0; k < table.longueurs.size(); ++k) {
        // Un champ qui déborde de l'enregistrement est coupé.
        const QByteArray octets = enregistrement.mid(position, table.longueurs[k]);
        cellules.append(texte_cellule(table.types[k], octets));
        position += table.longueurs[k];
    }
    return cellules;
}

} // namespace

QString texte_cellule(char type, const QByteArray& octets) {
    QString texte = plateforme::depuis_1252(octets);
    switch (type) {
    case 'D': // AAAAMMJJ => JJ/MM/AA
        return texte.mid(6, 2) + u'/' + texte.mid(4, 2) + u'/' + texte.mid(2, 2);
    case 'L':
        return texte.startsWith(u'T') ? u"VRAI"_s : u"FAUX"_s;
    case 'M':
        return u"***Mémo***"_s;
    default:
        return texte;
    }
}

int lire_disposition(QIODevice& fichier, TableDbase& table) {
    const QByteArray en_tete = fichier.read(k_en_tete);
    if (en_tete.size() < k_en_tete)
        return 0;
    const int longueur_enregistrement = octet(en_tete, 10) + 256 * octet(en_tete, 11);
    lire_descripteurs(fichier, longueur_enregistrement, table);
    aller_aux_enregistrements(fichier, octet(en_tete, 8) + 256 * octet(en_tete, 9));
    return longueur_enregistrement;
}

QStringList cellules_enregistrement(const QByteArray& enregistrement, int numero,
                                    const TableDbase& table) {
    return ligne_de(enregistrement, numero, table);
}

TableDbase lire_dbase(QIODevice& fichier) {
    TableDbase table;
    const int longueur_enregistrement = lire_disposition(fichier, table);
    // Une longueur nulle ne ferait jamais avancer la lecture.
    if (longueur_enregistrement <= 0)
        return table;
    int numero = 0;
    while (true) {
        const QByteArray enregistrement = fichier.read(longueur_enregistrement);
        if (enregistrement.size() < longueur_enregistrement)
            break; // morceau final incomplet (marque de fin de fichier)
        if (enregistrement.at(0) != '*')
            table.lignes.append(ligne_de(enregistrement, ++numero, table));
    }
    return table;
}

} // namespace morvine
