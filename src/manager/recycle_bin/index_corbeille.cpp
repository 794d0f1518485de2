#include "manager/recycle_bin/index_corbeille.h"

#include "manager/configuration/reglages.h"
#include "manager/recycle_bin/remplacement_atomique.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/formats.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corbeille {

namespace {

// 0x80 à 0x9F de Windows-1252 (le reste coïncide avec Latin-1).
constexpr std::array<char16_t, 32> k_cp1252 = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

QString depuis_1252(const QByteArray& octets) {
    QString texte(octets.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const auto octet = static_cast<unsigned char>(octets.at(i));
        texte[i] = QChar(octet >= 0x80 && octet < 0xA0 ? k_cp1252[octet - 0x80] : octet);
    }
    return texte;
}

// Nos lignes sont en UTF-8 ; celles d'avant, en Windows-1252, n'en sont pas.
QString decoder(const QByteArray& octets) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texte = utf8.decode(octets);
    return utf8.hasError() ? depuis_1252(octets) : texte;
}

bool chiffres(QStringView texte) {
    return !texte.isEmpty() &&
           std::all_of(texte.begin(), texte.end(), [](QChar c) { return c.isDigit(); });
}

bool sans_controle(const QString& texte) {
    return std::none_of(texte.begin(), texte.end(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

std::optional<qint64> taille_de(QStringView champ) {
    bool ok = false;
    const qint64 taille = champ.toLongLong(&ok);
    if (!ok || !std::all_of(champ.begin(), champ.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return taille;
}

// Nom et répertoire : le répertoire commence à la lettre d'unité qui
// précède le premier ":", le nom va jusqu'au blanc qui la précède.
bool lire_nom_et_repertoire(const QString& reste, EntreeCorbeille& entree) {
    const qsizetype deux_points = reste.indexOf(u':');
    if (deux_points < 3 || reste.at(deux_points - 2) != u' ' ||
        !reste.at(deux_points - 1).isLetter())
        return false;
    entree.nom = reste.left(deux_points - 2);
    entree.repertoire = reste.mid(deux_points - 1);
    if (!entree.repertoire.endsWith(u'\\'))
        entree.repertoire += u'\\';
    return true;
}

bool alphanumerique(QStringView texte) {
    return std::all_of(texte.begin(), texte.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

// Champs de la ligne, sans juger le nom ni le répertoire.
std::optional<EntreeCorbeille> lire_champs(const QString& texte) {
    const qsizetype blanc_taille = texte.indexOf(u' ');
    const qsizetype blanc_nom = texte.indexOf(u' ', blanc_taille + 1);
    if (blanc_taille != LONGUEUR_NOM_STOCKE || blanc_nom < 0)
        return std::nullopt;
    EntreeCorbeille entree;
    entree.nom_stocke = texte.left(LONGUEUR_NOM_STOCKE);
    const auto taille =
        taille_de(QStringView(texte).mid(blanc_taille + 1, blanc_nom - blanc_taille - 1));
    if (!nom_stocke_valide(entree.nom_stocke) || !taille ||
        !lire_nom_et_repertoire(texte.mid(blanc_nom + 1), entree))
        return std::nullopt;
    entree.taille = *taille;
    entree.jour = QStringView(entree.nom_stocke).mid(3, 5).toLongLong();
    return entree;
}

constexpr qint64 ATTENTE_VERROU_MS = 30'000;
int g_profondeur = 0;
int g_verrou = -1;

// Ce qu'un lot garde ouvert d'une étape à l'autre.
struct EtatLot {
    int lots = 0;
    int verrou = -1; // fichier verrou, ouvert pour tout le lot
    int index = -1;  // index ouvert en ajout, tant qu'il est le même fichier
    QByteArray chemin_index;
    dev_t appareil = 0;
    ino_t inode = 0;
    off_t taille = 0; // taille attendue de l'index ouvert
    bool fin_de_ligne = true;

    void fermer_index() {
        if (index >= 0)
            ::close(index);
        index = -1;
    }
};
EtatLot g_lot;

int ouvrir_verrou() {
    const QString chemin = chemin_verrou();
    const QByteArray hote = QFile::encodeName(plateforme::dos_vers_hote(chemin));
    const bool nouveau = ::access(hote.constData(), F_OK) != 0;
    int fd = ::open(hote.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(hote.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        plateforme::lever_errno(errno);
    if (nouveau) {
        try {
            plateforme::definir_attributs(chemin, plateforme::ATTR_CACHE);
        } catch (const plateforme::ErreurExecution&) {
        }
    }
    return fd;
}

// Hors d'un lot, le fichier verrou s'ouvre et se ferme à chaque prise.
int prendre_verrou() {
    const bool du_lot = g_lot.lots > 0;
    if (du_lot && g_lot.verrou < 0)
        g_lot.verrou = ouvrir_verrou();
    const int fd = du_lot ? g_lot.verrou : ouvrir_verrou();
    QElapsedTimer attente;
    attente.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int erreur = errno;
        if (erreur == EINTR)
            continue;
        if (erreur != EWOULDBLOCK || attente.elapsed() > ATTENTE_VERROU_MS) {
            if (!du_lot)
                ::close(fd);
            if (erreur == EWOULDBLOCK)
                plateforme::lever(plateforme::ERR_PERMISSION);
            plateforme::lever_errno(erreur);
        }
        ::usleep(2000);
    }
    return fd;
}

void rendre_verrou(int fd) {
    if (fd == g_lot.verrou)
        ::flock(fd, LOCK_UN);
    else
        ::close(fd); // rend le verrou
}

// Ajout par l'index déjà ouvert du lot. Faux quand l'index n'est plus le
// fichier ouvert (remplacé, effacé, allongé par un autre) et ne peut être
// rouvert tel quel : l'ajout ordinaire s'en charge (création, message).
bool ajouter_par_le_lot(const QByteArray& ligne) {
    const QByteArray hote = chemin_index_hote();
    struct stat st {};
    if (::stat(hote.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0 ||
        !(st.st_mode & S_IWUSR)) {
        g_lot.fermer_index();
        return false;
    }
    if (g_lot.index >= 0 &&
        (st.st_dev != g_lot.appareil || st.st_ino != g_lot.inode || st.st_size != g_lot.taille))
        g_lot.fermer_index();
    if (g_lot.index < 0) {
        const int fd = ::open(hote.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
        struct stat ouvert {};
        char dernier = 0;
        if (fd < 0 || ::fstat(fd, &ouvert) != 0 || ouvert.st_size == 0 ||
            ::pread(fd, &dernier, 1, ouvert.st_size - 1) != 1) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        g_lot.index = fd;
        g_lot.appareil = ouvert.st_dev;
        g_lot.inode = ouvert.st_ino;
        g_lot.taille = ouvert.st_size;
        g_lot.fin_de_ligne = dernier == '\n';
    }
    // Une ligne coupée par une interruption ne doit pas se souder à celle-ci.
    const QByteArray octets =
        (g_lot.fin_de_ligne ? QByteArray() : QByteArray("\r\n")) + ligne + "\r\n";
    const off_t avant = g_lot.taille;
    for (qsizetype fait = 0; fait < octets.size();) {
        const ssize_t n =
            ::write(g_lot.index, octets.constData() + fait, size_t(octets.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int erreur = n < 0 ? errno : ENOSPC;
            // Une ligne à moitié écrite (disque plein) est retirée de l'index.
            if (::ftruncate(g_lot.index, avant) != 0)
                qWarning("KALDRON.CRB : ligne partielle");
            g_lot.fermer_index();
            // Quota ou limite de taille : pour l'usager, le disque est plein.
            plateforme::lever_errno(erreur == EDQUOT || erreur == EFBIG ? ENOSPC : erreur);
        }
        fait += n;
    }
    g_lot.taille = avant + off_t(octets.size());
    g_lot.fin_de_ligne = true;
    return true;
}

QString prefixe_index() {
    QString unite = reglages().unité_programme;
    if (unite.isEmpty())
        unite = reglages().préfixe_fichiers.left(2);
    if (unite.size() != 2 || unite.at(1) != u':')
        plateforme::lever(plateforme::ERR_PERIPHERIQUE_ABSENT);
    return unite + u"\\KALDRON."_s;
}

} // namespace

QString nom_stocke(qint64 jour, int numero) {
    return u"crb"_s + QString::number(jour) + u'.' +
           QString::number(numero, 36).rightJustified(3, u'0').right(3);
}

bool nom_stocke_valide(const QString& nom) {
    return nom.size() == LONGUEUR_NOM_STOCKE && nom.startsWith(u"crb"_s, Qt::CaseInsensitive) &&
           chiffres(QStringView(nom).mid(3, 5)) && nom.at(8) == u'.' &&
           alphanumerique(QStringView(nom).mid(9, 3));
}

bool nom_acceptable(const QString& nom) {
    return !nom.isEmpty() && nom != u"."_s && nom != u".."_s && !nom.contains(u':') &&
           !nom.contains(u'\\') && !nom.contains(u'/') && sans_controle(nom);
}

bool repertoire_acceptable(const QString& repertoire) {
    return repertoire.size() >= 3 && repertoire.at(0).isLetter() && repertoire.at(1) == u':' &&
           repertoire.at(2) == u'\\' && repertoire.indexOf(u':', 2) < 0 &&
           sans_controle(repertoire);
}

QByteArray ligne(const EntreeCorbeille& entree) {
    const QString texte = entree.nom_stocke + u' ' +
                          plateforme::format_zeros(entree.taille, LARGEUR_TAILLE) + u' ' +
                          entree.nom + u' ' + entree.repertoire;
    return texte.toUtf8();
}

std::optional<EntreeCorbeille> lire_ligne(const QByteArray& octets) {
    auto entree = lire_champs(decoder(octets));
    // Un nom qui sort du répertoire de la ligne ne se rend ni ne se purge.
    if (entree && (!nom_acceptable(entree->nom) || !repertoire_acceptable(entree->repertoire)))
        return std::nullopt;
    return entree;
}

QString description_ligne(const QByteArray& octets) {
    const QString texte = decoder(octets);
    if (const auto entree = lire_champs(texte))
        return entree->chemin_stocke() + u" (« "_s + entree->nom + u" »)"_s;
    return texte.left(200);
}

QList<EntreeCorbeille> entrees(const QList<QByteArray>& lignes) {
    QList<EntreeCorbeille> resultat;
    for (const QByteArray& l : lignes) {
        if (const auto entree = lire_ligne(l))
            resultat.append(*entree);
    }
    return resultat;
}

int position(const QList<QByteArray>& lignes, const EntreeCorbeille& entree) {
    for (int i = 0; i < lignes.size(); ++i) {
        const auto lue = lire_ligne(lignes.at(i));
        if (lue && QString::compare(lue->chemin_stocke(), entree.chemin_stocke(),
                                    Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString chemin_index() {
    return prefixe_index() + u"CRB"_s;
}

QString chemin_temporaire() {
    return prefixe_index() + u"NEW"_s;
}

QString chemin_verrou() {
    return prefixe_index() + u"VER"_s;
}

Verrou::Verrou() {
    if (g_profondeur > 0) {
        ++g_profondeur;
        return;
    }
    g_verrou = prendre_verrou();
    g_profondeur = 1;
}

Verrou::~Verrou() {
    if (--g_profondeur == 0) {
        rendre_verrou(g_verrou);
        g_verrou = -1;
    }
}

Lot::Lot() {
    ++g_lot.lots;
}

Lot::~Lot() {
    if (--g_lot.lots > 0)
        return;
    g_lot.fermer_index();
    g_lot.chemin_index.clear();
    // Pris en ce moment (lot fini sous un verrou) : la dernière prise le fermera.
    if (g_lot.verrou >= 0 && g_lot.verrou != g_verrou)
        ::close(g_lot.verrou);
    g_lot.verrou = -1;
}

QByteArray chemin_index_hote() {
    if (g_lot.lots > 0 && !g_lot.chemin_index.isEmpty())
        return g_lot.chemin_index;
    const QByteArray hote = QFile::encodeName(plateforme::dos_vers_hote(chemin_index()));
    if (g_lot.lots > 0)
        g_lot.chemin_index = hote;
    return hote;
}

QList<QByteArray> lire_lignes() {
    const Verrou verrou;
    const QString chemin = chemin_index();
    if (!plateforme::existe(chemin))
        return {};
    plateforme::FichierOuvert index(chemin, plateforme::FichierOuvert::Lecture);
    const QByteArray contenu = index.lire(index.taille());
    index.fermer();
    QList<QByteArray> lignes;
    for (QByteArray l : contenu.split('\n')) {
        if (l.endsWith('\r'))
            l.chop(1);
        if (!l.trimmed().isEmpty())
            lignes.append(l);
    }
    return lignes;
}

void ecrire_lignes(const QList<QByteArray>& lignes) {
    const Verrou verrou;
    g_lot.fermer_index(); // remplacé : l'ancien fichier ne reçoit plus rien
    QByteArray contenu;
    for (const QByteArray& l : lignes)
        contenu += l + "\r\n";
    remplacer_atomiquement(chemin_temporaire(), chemin_index(), contenu, plateforme::ATTR_CACHE);
}

void ajouter_ligne(const QByteArray& ligne) {
    const Verrou verrou;
    if (g_lot.lots > 0 && ajouter_par_le_lot(ligne))
        return;
    const QString chemin = chemin_index();
    plateforme::FichierOuvert index(chemin, plateforme::FichierOuvert::Ajout);
    const qint64 avant = index.taille();
    QByteArray octets = ligne + "\r\n";
    // Une ligne coupée par une interruption ne doit pas se souder à celle-ci.
    if (avant > 0) {
        QFile lecture(index.chemin_hote());
        if (lecture.open(QIODevice::ReadOnly) && lecture.seek(avant - 1) && lecture.read(1) != "\n")
            octets.prepend("\r\n");
    }
    try {
        index.ecrire(octets);
        index.fermer();
    } catch (const plateforme::ErreurExecution&) {
        // Une ligne à moitié écrite (disque plein) est retirée de l'index.
        if (::truncate(QFile::encodeName(index.chemin_hote()).constData(), avant) != 0)
            qWarning("KALDRON.CRB : ligne partielle");
        throw;
    }
    if (avant == 0)
        plateforme::definir_attributs(chemin,
                                      plateforme::attributs(chemin) | plateforme::ATTR_CACHE);
}

} // namespace corbeille
