// Profils (.INI) : sur un fichier quelconque, écrire ou supprimer une clé (ou
// supprimer une section) ne change la valeur d'aucune autre clé.
#include "commun_fuzz.h"
#include "platform/profil.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Minuscule Windows-1252, comme les noms de sections et de clés se comparent.
unsigned char minuscule(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + 0x10);
    return c == 0x9F ? 0xFF : c;
}

std::string plie(std::string texte) {
    for (char& c : texte)
        c = static_cast<char>(minuscule(static_cast<unsigned char>(c)));
    return texte;
}

std::string sans_blancs(const std::string& texte) {
    const auto debut = texte.find_first_not_of(" \t");
    if (debut == std::string::npos)
        return {};
    return texte.substr(debut, texte.find_last_not_of(" \t") - debut + 1);
}

// Noms candidats de sections : le texte entre '[' et ']' de chaque ligne.
std::vector<std::string> sections_de(const QByteArray& contenu) {
    std::vector<std::string> sections;
    for (const QByteArray& brute : contenu.split('\n')) {
        for (const QByteArray& ligne : brute.split('\r')) {
            const std::string l = sans_blancs(ligne.toStdString());
            const auto fermante = l.find(']');
            if (!l.empty() && l.front() == '[' && fermante != std::string::npos) {
                const std::string nom = sans_blancs(l.substr(1, fermante - 1));
                if (!nom.empty() && nom.find('\0') == std::string::npos)
                    sections.push_back(nom);
            }
        }
    }
    return sections;
}

using Cle = std::pair<std::string, std::string>; // section et clé, pliées
using Instantane = std::map<Cle, std::string>;

// Toutes les valeurs lisibles par l'interface d'origine.
Instantane lire_tout(const std::vector<std::string>& sections, const char* fichier,
                     std::size_t taille) {
    Instantane valeurs;
    std::vector<char> tampon(taille + 16);
    for (const std::string& section : sections) {
        const unsigned n = GetPrivateProfileStringA(section.c_str(), nullptr, "", tampon.data(),
                                                    static_cast<unsigned>(tampon.size()), fichier);
        std::vector<std::string> cles;
        for (unsigned i = 0; i < n;) {
            const std::string cle(tampon.data() + i);
            cles.push_back(cle);
            i += static_cast<unsigned>(cle.size()) + 1;
        }
        std::vector<char> valeur(taille + 16);
        for (const std::string& cle : cles) {
            const unsigned m =
                GetPrivateProfileStringA(section.c_str(), cle.c_str(), "\x01", valeur.data(),
                                         static_cast<unsigned>(valeur.size()), fichier);
            valeurs[{plie(sans_blancs(section)), plie(cle)}] = std::string(valeur.data(), m);
        }
    }
    return valeurs;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("KALDRON_WINDOWS", fuzz::repertoire_jetable().toLocal8Bit());
    fuzz::initialiser_qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    FuzzedDataProvider fournisseur(donnees, taille);
    const int operation = fournisseur.ConsumeIntegralInRange(0, 2); // écrire, clé, section
    const std::string section = fournisseur.ConsumeRandomLengthString(24);
    const std::string cle = fournisseur.ConsumeRandomLengthString(24);
    const std::string valeur = fournisseur.ConsumeRandomLengthString(32);
    const std::string reste = fournisseur.ConsumeRemainingBytesAsString();
    const QByteArray contenu(reste.data(), static_cast<qsizetype>(reste.size()));
    const QString chemin = fuzz::ecrire_fichier(QStringLiteral("ESSAI.INI"), contenu);
    const QByteArray fichier = QFile::encodeName(chemin);

    std::vector<std::string> sections = sections_de(contenu);
    sections.push_back(section.c_str());
    const std::size_t borne = contenu.size() + section.size() + cle.size() + valeur.size() + 64;
    const Instantane avant = lire_tout(sections, fichier.constData(), borne);

    const bool ecrit =
        WritePrivateProfileStringA(section.c_str(), operation == 2 ? nullptr : cle.c_str(),
                                   operation == 0 ? valeur.c_str() : nullptr, fichier.constData());
    const Instantane apres = lire_tout(sections, fichier.constData(), borne);

    const std::string s = plie(sans_blancs(section.c_str()));
    const std::string k = plie(sans_blancs(cle.c_str()));
    // Clés touchées : la clé écrite, ou toute la section supprimée.
    auto touchee = [&](const Cle& c) {
        return ecrit && c.first == s && (operation == 2 || c.second == k);
    };
    for (const auto& [c, v] : avant) {
        if (touchee(c))
            continue;
        const auto trouvee = apres.find(c);
        if (trouvee == apres.end() || trouvee->second != v) {
            (void)std::fprintf(stderr, "clé [%s] %s changée par l'écriture\n", c.first.c_str(),
                               c.second.c_str());
            std::abort();
        }
    }
    for (const auto& [c, v] : apres) {
        if (!touchee(c) && !avant.contains(c)) {
            (void)std::fprintf(stderr, "clé [%s] %s apparue\n", c.first.c_str(), c.second.c_str());
            std::abort();
        }
    }
    if (ecrit && operation == 0) {
        // Une valeur sans blanc ni guillemet aux bords se relit telle quelle.
        const std::string v = valeur.c_str();
        const bool simple = v.empty() || (v == sans_blancs(v) && v.front() != '"' &&
                                          v.front() != '\'' && v.back() != '"' && v.back() != '\'');
        std::vector<char> tampon(borne);
        const unsigned n =
            GetPrivateProfileStringA(section.c_str(), cle.c_str(), "\x01", tampon.data(),
                                     static_cast<unsigned>(borne), fichier.constData());
        if (simple && std::string(tampon.data(), n) != v) {
            (void)std::fprintf(stderr, "valeur écrite relue autrement : « %s »\n", tampon.data());
            std::abort();
        }
    }
    return 0;
}
