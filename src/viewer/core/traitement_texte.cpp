// Texte des documents Word et Write. Les longueurs des en-têtes ne sont
// jamais crues au-delà de ce que le fichier contient.
#include "viewer/core/traitement_texte.h"

#include "platform/windows1252.h"

#include <vector>

namespace morvine {

namespace {

constexpr int k_en_tete_word = 384;
constexpr int k_en_tete_write = 128;
constexpr int k_bloc_incorpore = 40;
constexpr char k_debut_champ = 19;
constexpr char k_separateur_champ = 20;
constexpr char k_fin_champ = 21;
constexpr char k_marque_incorporee = char(228);

qint64 entier_24(const QByteArray& octets, int i) {
    return static_cast<uchar>(octets.at(i)) | static_cast<uchar>(octets.at(i + 1)) << 8 |
           static_cast<uchar>(octets.at(i + 2)) << 16;
}

// Lit au plus 'longueur' octets, jamais plus que ce qui reste du fichier.
QByteArray lire_borne(QIODevice& fichier, qint64 longueur) {
    if (longueur <= 0)
        return {};
    if (!fichier.isSequential())
        longueur = std::min(longueur, fichier.size() - fichier.pos());
    return longueur > 0 ? fichier.read(longueur) : QByteArray();
}

struct Champ {
    qsizetype debut;
    qsizetype separateur = -1;
};

// Marque [debut, fin] comme retirée (tableau de différences).
void retirer(std::vector<int>& differences, qsizetype debut, qsizetype fin) {
    ++differences[debut];
    --differences[fin + 1];
}

} // namespace

QByteArray retirer_champs(const QByteArray& texte) {
    // Les champs s'imbriquent : chaque fin ferme le dernier début ouvert.
    std::vector<int> differences(texte.size() + 1, 0);
    std::vector<Champ> ouverts;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c == k_debut_champ) {
            ouverts.push_back({i});
        } else if (c == k_separateur_champ && !ouverts.empty() && ouverts.back().separateur < 0) {
            ouverts.back().separateur = i;
        } else if (c == k_fin_champ && !ouverts.empty()) {
            const Champ champ = ouverts.back();
            ouverts.pop_back();
            // Avec séparateur : le code part, le résultat reste.
            retirer(differences, champ.debut, champ.separateur >= 0 ? champ.separateur : i);
            retirer(differences, i, i);
        }
    }
    // Début sans fin : seules ses marques (et son code, s'il a un séparateur)
    // partent ; le reste du texte est gardé.
    for (const Champ& champ : ouverts)
        retirer(differences, champ.debut, std::max(champ.debut, champ.separateur));
    QByteArray resultat;
    resultat.reserve(texte.size());
    int profondeur = 0;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        profondeur += differences[i];
        if (profondeur == 0)
            resultat.append(texte[i]);
    }
    return resultat;
}

QString lire_word(QIODevice& fichier) {
    const QByteArray en_tete = fichier.read(k_en_tete_word);
    if (en_tete.size() < k_en_tete_word)
        return {};
    const QByteArray texte = lire_borne(fichier, entier_24(en_tete, 52));
    return plateforme::depuis_1252(retirer_champs(texte));
}

QString lire_write(QIODevice& fichier) {
    const QByteArray en_tete = fichier.read(k_en_tete_write);
    if (en_tete.size() < k_en_tete_write)
        return {};
    QByteArray texte = lire_borne(fichier, entier_24(en_tete, 14) - k_en_tete_write);
    // Bloc incorporé : à chaque caractère 228, un bloc de 40 octets donne la
    // longueur des octets qui remplacent le texte à partir de ce caractère.
    // Chaque tour consomme au moins 40 octets du fichier : la boucle finit.
    qsizetype marque = texte.indexOf(k_marque_incorporee);
    while (marque >= 0) {
        const QByteArray bloc = fichier.read(k_bloc_incorpore);
        if (bloc.size() < k_bloc_incorpore)
            break;
        texte.truncate(marque);
        texte += lire_borne(fichier, entier_24(bloc, 15));
        marque = texte.indexOf(k_marque_incorporee, marque);
    }
    return plateforme::depuis_1252(texte);
}

} // namespace morvine
