// Fichiers de profil : lecture et écriture ligne à ligne sur les octets
// Windows-1252. Une écriture ne change que la ligne concernée ; tout le reste
// du fichier (commentaires, lignes vides, fins de ligne) reste octet pour octet.
#include "platform/profil.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/windows1252.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

using Octets = QByteArrayView;

// ---- Windows-1252 ----

QString texte_1252(Octets octets) {
    return plateforme::depuis_1252(octets.data(), octets.size());
}

// Octet d'un caractère ; '?' pour ce que Windows-1252 ne sait pas écrire.
char octet_1252(char16_t c) {
    char octet = '?';
    return plateforme::octet_1252(QChar(c), &octet) ? octet : '?';
}

QByteArray octets_1252(QStringView texte) {
    QByteArray octets;
    octets.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        // Une paire de substitution ne donne qu'un seul '?'.
        if (texte[i].isHighSurrogate() && i + 1 < texte.size() && texte[i + 1].isLowSurrogate())
            ++i;
        octets.append(octet_1252(texte[i].unicode()));
    }
    return octets;
}

// Minuscule Windows-1252 : lettres ASCII, accentuées, Š Œ Ž Ÿ.
unsigned char minuscule(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

bool meme_nom(Octets a, Octets b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return minuscule(static_cast<unsigned char>(x)) ==
                      minuscule(static_cast<unsigned char>(y));
           });
}

QByteArray en_minuscules(Octets nom) {
    QByteArray resultat(nom.size(), Qt::Uninitialized);
    std::transform(nom.begin(), nom.end(), resultat.begin(), [](char c) {
        return static_cast<char>(minuscule(static_cast<unsigned char>(c)));
    });
    return resultat;
}

// ---- Analyse des lignes ----

enum class Genre { Vide, Commentaire, Section, Cle, Autre };

struct Ligne {
    qsizetype debut = 0;
    qsizetype fin = 0;      // fin du contenu, avant la fin de ligne
    qsizetype suivante = 0; // début de la ligne suivante
    Genre genre = Genre::Autre;
    Octets nom;    // section ou clé, sans blancs autour
    Octets valeur; // clé seulement : sans blancs ni guillemets autour
};

bool est_blanc(char c) {
    return c == ' ' || c == '\t';
}

Octets sans_blancs(Octets texte) {
    while (!texte.isEmpty() && est_blanc(texte.front()))
        texte = texte.sliced(1);
    while (!texte.isEmpty() && est_blanc(texte.back()))
        texte.chop(1);
    return texte;
}

Octets sans_guillemets(Octets valeur) {
    const bool entouree = valeur.size() >= 2 && valeur.front() == valeur.back() &&
                          (valeur.front() == '"' || valeur.front() == '\'');
    return entouree ? valeur.sliced(1, valeur.size() - 2) : valeur;
}

// "[ Nom ] suite" : la section Nom ; un '[' sans ']' n'ouvre rien.
void classer_section(Ligne& ligne, Octets contenu) {
    const qsizetype fermante = contenu.indexOf(']');
    if (fermante < 0)
        return;
    ligne.genre = Genre::Section;
    ligne.nom = sans_blancs(contenu.sliced(1, fermante - 1));
}

// Une clé coupe la ligne à son premier '=' ; sans '=' (ou sans nom), rien.
void classer_cle(Ligne& ligne, Octets contenu) {
    const qsizetype egal = contenu.indexOf('=');
    if (egal <= 0)
        return;
    ligne.nom = sans_blancs(contenu.first(egal));
    ligne.valeur = sans_guillemets(sans_blancs(contenu.sliced(egal + 1)));
    ligne.genre = Genre::Cle;
}

void classer(Ligne& ligne, Octets contenu) {
    contenu = sans_blancs(contenu);
    if (contenu.isEmpty())
        ligne.genre = Genre::Vide;
    else if (contenu.front() == ';')
        ligne.genre = Genre::Commentaire;
    else if (contenu.front() == '[')
        classer_section(ligne, contenu);
    else
        classer_cle(ligne, contenu);
}

// Ligne qui commence à 'debut' ; fins de ligne LF, CR LF ou CR.
Ligne ligne_a(Octets texte, qsizetype debut) {
    Ligne ligne;
    ligne.debut = debut;
    const auto it = std::find_if(texte.begin() + debut, texte.end(),
                                 [](char c) { return c == '\r' || c == '\n'; });
    ligne.fin = it - texte.begin();
    ligne.suivante = ligne.fin;
    if (ligne.fin < texte.size()) {
        const bool crlf = texte[ligne.fin] == '\r' && ligne.fin + 1 < texte.size() &&
                          texte[ligne.fin + 1] == '\n';
        ligne.suivante += crlf ? 2 : 1;
    }
    classer(ligne, texte.sliced(debut, ligne.fin - debut));
    return ligne;
}

// Appelle 'f' sur chaque ligne jusqu'à ce qu'elle rende faux.
template <typename F> void parcourir(Octets texte, F&& f) {
    for (qsizetype debut = 0; debut < texte.size();) {
        const Ligne ligne = ligne_a(texte, debut);
        if (!f(ligne))
            return;
        debut = ligne.suivante;
    }
}

// Lignes de clés de la première section de ce nom (les suivantes sont ignorées).
template <typename F> void cles_de_section(Octets texte, Octets section, F&& f) {
    bool dedans = false;
    parcourir(texte, [&](const Ligne& ligne) {
        if (ligne.genre == Genre::Section) {
            if (dedans)
                return false;
            dedans = meme_nom(ligne.nom, section);
            return true;
        }
        return !(dedans && ligne.genre == Genre::Cle) || f(ligne);
    });
}

// La première clé de ce nom l'emporte.
std::optional<Octets> valeur_de(Octets texte, Octets section, Octets cle) {
    std::optional<Octets> trouvee;
    cles_de_section(texte, section, [&](const Ligne& ligne) {
        if (!meme_nom(ligne.nom, cle))
            return true;
        trouvee = ligne.valeur;
        return false;
    });
    return trouvee;
}

// Noms des clés dans l'ordre du fichier, chacun une seule fois.
QList<QByteArray> noms_de_cles(Octets texte, Octets section) {
    QList<QByteArray> noms;
    QSet<QByteArray> vus;
    cles_de_section(texte, section, [&](const Ligne& ligne) {
        const QByteArray cle = en_minuscules(ligne.nom);
        if (!vus.contains(cle)) {
            vus.insert(cle);
            noms.append(ligne.nom.toByteArray());
        }
        return true;
    });
    return noms;
}

// ---- Tampons des fonctions d'origine ----

unsigned copier_valeur(Octets valeur, char* tampon, unsigned taille) {
    if (tampon == nullptr || taille == 0)
        return 0;
    const auto n = static_cast<unsigned>(std::min<qsizetype>(valeur.size(), taille - 1));
    if (n > 0) // une vue vide peut n'avoir aucune adresse
        std::memcpy(tampon, valeur.data(), n);
    tampon[n] = '\0';
    return n;
}

// Noms suivis chacun d'un NUL, puis un second NUL. Trop longue, la liste est
// coupée pour finir par deux NUL dans le tampon, et rend taille - 2.
unsigned copier_liste(const QList<QByteArray>& noms, char* tampon, unsigned taille) {
    if (tampon == nullptr || taille == 0)
        return 0;
    QByteArray liste;
    for (const QByteArray& nom : noms)
        liste += nom + '\0';
    if (liste.size() + 1 <= static_cast<qsizetype>(taille)) {
        std::memcpy(tampon, liste.constData(), liste.size() + 1);
        if (liste.isEmpty() && taille >= 2)
            tampon[1] = '\0';
        return static_cast<unsigned>(liste.size());
    }
    if (taille < 2) {
        tampon[0] = '\0';
        return 0;
    }
    std::memcpy(tampon, liste.constData(), taille - 2);
    tampon[taille - 2] = tampon[taille - 1] = '\0';
    return taille - 2;
}

// Valeur par défaut : nulle = "", blancs de fin ôtés.
Octets defaut_net(Octets defaut) {
    while (!defaut.isEmpty() && est_blanc(defaut.back()))
        defaut.chop(1);
    return defaut;
}

Octets octets_de(const char* texte) {
    return texte ? Octets(texte) : Octets();
}

// ---- Fichiers ----

// Chemin de l'hôte, ou rien si l'unité ou le nom ne se résout pas.
std::optional<QString> chemin_sur(const QString& fichier) {
    try {
        return plateforme::chemin_profil(fichier);
    } catch (const plateforme::ErreurExecution&) {
        return std::nullopt;
    }
}

std::optional<QString> chemin_sur(const char* fichier) {
    if (fichier == nullptr)
        return std::nullopt;
    return chemin_sur(texte_1252(Octets(fichier)));
}

// Fichier absent ou illisible : contenu vide, chaque clé prend son défaut.
QByteArray contenu_lisible(const std::optional<QString>& chemin) {
    if (!chemin)
        return {};
    QFile fichier(*chemin);
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

// Avant une écriture : vide si absent, rien s'il existe mais ne se lit pas.
std::optional<QByteArray> contenu_a_modifier(const QString& chemin) {
    QFile fichier(chemin);
    if (!fichier.exists())
        return QByteArray();
    if (!fichier.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray contenu = fichier.readAll();
    if (fichier.error() != QFileDevice::NoError)
        return std::nullopt;
    return contenu;
}

// Remplacement complet par renommage : jamais de demi-fichier. QSaveFile
// garde les droits du fichier remplacé.
bool enregistrer(const QString& chemin, const QByteArray& contenu) {
    const QFileInfo info(chemin);
    // Un fichier en lecture seule ne se remplace pas, même si son répertoire le permet.
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return false;
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly))
        return false;
    if (fichier.write(contenu) != contenu.size()) {
        fichier.cancelWriting();
        return false;
    }
    return fichier.commit();
}

// ---- Modifications ----

// Remplace les octets [debut, fin) par 'texte'.
struct Remplacement {
    qsizetype debut;
    qsizetype fin;
    QByteArray texte;
};

using Lignes = std::vector<Ligne>;

Lignes decouper(Octets texte) {
    Lignes lignes;
    parcourir(texte, [&](const Ligne& ligne) {
        lignes.push_back(ligne);
        return true;
    });
    return lignes;
}

std::optional<std::size_t> entete_de(const Lignes& lignes, Octets section, std::size_t depuis) {
    for (std::size_t i = depuis; i < lignes.size(); ++i) {
        if (lignes[i].genre == Genre::Section && meme_nom(lignes[i].nom, section))
            return i;
    }
    return std::nullopt;
}

// Indice de la ligne qui suit la section (prochain en-tête ou fin).
std::size_t fin_de_section(const Lignes& lignes, std::size_t entete) {
    std::size_t i = entete + 1;
    while (i < lignes.size() && lignes[i].genre != Genre::Section)
        ++i;
    return i;
}

QByteArray ligne_cle(Octets cle, Octets valeur) {
    return cle.toByteArray() + '=' + valeur.toByteArray() + "\r\n";
}

// Chaque section de ce nom disparaît (sinon une doublure prendrait sa place),
// sans les lignes vides qui la séparent de la suivante.
std::vector<Remplacement> supprimer_section(const Lignes& lignes, Octets section) {
    std::vector<Remplacement> remplacements;
    for (auto e = entete_de(lignes, section, 0); e; e = entete_de(lignes, section, *e + 1)) {
        std::size_t derniere = fin_de_section(lignes, *e) - 1;
        while (derniere > *e && lignes[derniere].genre == Genre::Vide)
            --derniere;
        remplacements.push_back({lignes[*e].debut, lignes[derniere].suivante, {}});
    }
    return remplacements;
}

// Toutes les lignes de la clé dans la section lue, doublures comprises.
std::vector<Remplacement> supprimer_cle(const Lignes& lignes, Octets section, Octets cle) {
    std::vector<Remplacement> remplacements;
    const auto e = entete_de(lignes, section, 0);
    if (!e)
        return remplacements;
    const std::size_t fin = fin_de_section(lignes, *e);
    for (std::size_t i = *e + 1; i < fin; ++i) {
        if (lignes[i].genre == Genre::Cle && meme_nom(lignes[i].nom, cle))
            remplacements.push_back({lignes[i].debut, lignes[i].suivante, {}});
    }
    return remplacements;
}

Remplacement nouvelle_section(Octets texte, Octets section, Octets cle, Octets valeur) {
    QByteArray ajout;
    if (!texte.isEmpty() && texte.back() != '\n' && texte.back() != '\r')
        ajout += "\r\n";
    ajout += '[' + section.toByteArray() + "]\r\n" + ligne_cle(cle, valeur);
    return {texte.size(), texte.size(), ajout};
}

// Clé existante : réécrite sur place sous son nom du fichier. Nouvelle clé :
// après la dernière clé de sa section. Nouvelle section : en fin de fichier.
Remplacement ecrire_cle(Octets texte, const Lignes& lignes, Octets section, Octets cle,
                        Octets valeur) {
    const auto e = entete_de(lignes, section, 0);
    if (!e)
        return nouvelle_section(texte, section, cle, valeur);
    std::size_t apres = *e;
    const std::size_t fin = fin_de_section(lignes, *e);
    for (std::size_t i = *e + 1; i < fin; ++i) {
        if (lignes[i].genre != Genre::Cle)
            continue;
        if (meme_nom(lignes[i].nom, cle))
            return {lignes[i].debut, lignes[i].suivante, ligne_cle(lignes[i].nom, valeur)};
        apres = i;
    }
    const Ligne& ligne = lignes[apres];
    const QByteArray saut = ligne.fin == ligne.suivante ? "\r\n" : "";
    return {ligne.suivante, ligne.suivante, saut + ligne_cle(cle, valeur)};
}

QByteArray appliquer(Octets texte, const std::vector<Remplacement>& remplacements) {
    QByteArray resultat;
    qsizetype position = 0;
    for (const Remplacement& r : remplacements) {
        resultat += texte.sliced(position, r.debut - position);
        resultat += r.texte;
        position = r.fin;
    }
    resultat += texte.sliced(position);
    return resultat;
}

// ---- Contrôle des noms : rien ne doit pouvoir créer une autre ligne ----

bool coupe_la_ligne(Octets texte) {
    return texte.contains('\r') || texte.contains('\n') || texte.contains('\0');
}

bool section_valide(Octets section) {
    return !section.isEmpty() && !coupe_la_ligne(section) && !section.contains(']');
}

bool cle_valide(Octets cle) {
    return !cle.isEmpty() && !coupe_la_ligne(cle) && !cle.contains('=') && cle.front() != '[' &&
           cle.front() != ';';
}

// Clé absente : suppression de la section ; valeur absente : de la clé.
bool ecrire(const std::optional<QString>& chemin, Octets section, std::optional<Octets> cle,
            std::optional<Octets> valeur) {
    section = sans_blancs(section);
    if (cle)
        cle = sans_blancs(*cle);
    if (!chemin || !section_valide(section) || (cle && !cle_valide(*cle)) ||
        (valeur && coupe_la_ligne(*valeur)))
        return false;
    const auto texte = contenu_a_modifier(*chemin);
    if (!texte)
        return false;
    const Lignes lignes = decouper(*texte);
    std::vector<Remplacement> remplacements;
    if (!cle)
        remplacements = supprimer_section(lignes, section);
    else if (!valeur)
        remplacements = supprimer_cle(lignes, section, *cle);
    else
        remplacements = {ecrire_cle(*texte, lignes, section, *cle, *valeur)};
    const QByteArray nouveau = appliquer(*texte, remplacements);
    return nouveau == *texte || enregistrer(*chemin, nouveau);
}

std::optional<Octets> optionnel(const char* texte) {
    return texte ? std::optional<Octets>(Octets(texte)) : std::nullopt;
}

// Nom d'un fichier du répertoire Windows, trouvé sans égard à la casse
// comme tout nom DOS (WIN.INI désigne aussi un win.ini existant).
QString dans_repertoire_windows(const QString& nom) {
    const QDir repertoire(plateforme::repertoire_windows());
    if (repertoire.exists(nom))
        return repertoire.filePath(nom);
    const QStringList presents = repertoire.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& present : presents) {
        if (present.compare(nom, Qt::CaseInsensitive) == 0)
            return repertoire.filePath(present);
    }
    return repertoire.filePath(nom);
}

bool est_chemin_dos(const QString& fichier) {
    const bool lettre = fichier.size() >= 2 && fichier[1] == u':' && fichier[0].isLetter();
    return lettre || fichier.contains(u'\\');
}

const char* const k_win_ini = "WIN.INI";

} // namespace

// ---- Fonctions d'origine ----

unsigned GetPrivateProfileStringA(const char* section, const char* key, const char* defaut,
                                  char* buffer, unsigned taille, const char* fichier) {
    const QByteArray texte = contenu_lisible(chemin_sur(fichier));
    const Octets nom_section = sans_blancs(octets_de(section));
    if (key == nullptr) {
        const auto noms = section ? noms_de_cles(texte, nom_section) : QList<QByteArray>();
        return copier_liste(noms, buffer, taille);
    }
    const auto valeur =
        section ? valeur_de(texte, nom_section, sans_blancs(Octets(key))) : std::nullopt;
    return copier_valeur(valeur ? *valeur : defaut_net(octets_de(defaut)), buffer, taille);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* valeur,
                                const char* fichier) {
    if (section == nullptr)
        return false;
    return ecrire(chemin_sur(fichier), Octets(section), optionnel(key), optionnel(valeur));
}

unsigned GetProfileStringA(const char* section, const char* key, const char* defaut, char* buffer,
                           unsigned taille) {
    return GetPrivateProfileStringA(section, key, defaut, buffer, taille, k_win_ini);
}

bool WriteProfileStringA(const char* section, const char* key, const char* valeur) {
    return WritePrivateProfileStringA(section, key, valeur, k_win_ini);
}

namespace plateforme {

QString repertoire_windows() {
    QString repertoire = qEnvironmentVariable("KALDRON_WINDOWS");
    if (repertoire.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (!QDir::isAbsolutePath(base))
            base = QDir::homePath() + QStringLiteral("/.config");
        repertoire = base + QStringLiteral("/kaldron");
    }
    repertoire = QDir::cleanPath(repertoire);
    QDir().mkpath(repertoire);
    return repertoire;
}

QString chemin_profil(const QString& fichier) {
    if (fichier.startsWith(u'/'))
        return fichier;
    if (est_chemin_dos(fichier))
        return dos_vers_hote(fichier);
    if (fichier.contains(u'/'))
        return fichier;
    return dans_repertoire_windows(fichier);
}

QString lire_profil(const QString& section, const QString& cle, const QString& defaut,
                    unsigned taille, const QString& fichier) {
    if (taille == 0)
        return {};
    const QByteArray texte = contenu_lisible(chemin_sur(fichier));
    const QByteArray nom_section = octets_1252(section);
    const QByteArray nom_cle = octets_1252(cle);
    const QByteArray defaut_1252 = octets_1252(defaut);
    const auto valeur = valeur_de(texte, sans_blancs(nom_section), sans_blancs(nom_cle));
    const Octets resultat = valeur ? *valeur : defaut_net(defaut_1252);
    return texte_1252(resultat.first(std::min<qsizetype>(resultat.size(), taille - 1)));
}

QStringList cles_profil(const QString& section, unsigned taille, const QString& fichier) {
    const QByteArray texte = contenu_lisible(chemin_sur(fichier));
    const QByteArray nom_section = octets_1252(section);
    // Même coupe que le tampon d'origine : on passe par lui.
    std::vector<char> tampon(std::max(taille, 1u));
    const unsigned n =
        copier_liste(noms_de_cles(texte, sans_blancs(nom_section)), tampon.data(), taille);
    QStringList noms;
    for (const QByteArray& nom : QByteArray(tampon.data(), n).split('\0')) {
        if (!nom.isEmpty())
            noms.append(texte_1252(nom));
    }
    return noms;
}

bool ecrire_profil(const QString& section, const std::optional<QString>& cle,
                   const std::optional<QString>& valeur, const QString& fichier) {
    const QByteArray nom_section = octets_1252(section);
    const QByteArray nom_cle = cle ? octets_1252(*cle) : QByteArray();
    const QByteArray texte = valeur ? octets_1252(*valeur) : QByteArray();
    return ecrire(chemin_sur(fichier), nom_section,
                  cle ? std::optional<Octets>(nom_cle) : std::nullopt,
                  valeur ? std::optional<Octets>(texte) : std::nullopt);
}

QString lire_win_ini(const QString& section, const QString& cle, const QString& defaut,
                     unsigned taille) {
    return lire_profil(section, cle, defaut, taille, QString::fromLatin1(k_win_ini));
}

QStringList cles_win_ini(const QString& section, unsigned taille) {
    return cles_profil(section, taille, QString::fromLatin1(k_win_ini));
}

bool ecrire_win_ini(const QString& section, const std::optional<QString>& cle,
                    const std::optional<QString>& valeur) {
    return ecrire_profil(section, cle, valeur, QString::fromLatin1(k_win_ini));
}

} // namespace plateforme
