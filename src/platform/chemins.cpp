#include "platform/chemins.h"

#include "platform/erreurs.h"
#include "platform/unites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace plateforme {

namespace {

// Un répertoire courant par unité, comme l'original ; unité nulle = défaut.
struct EtatCourant {
    QChar unite;
    QHash<QChar, QString> repertoires; // chemins DOS absolus
};

EtatCourant& etat() {
    static EtatCourant e;
    return e;
}

bool caractere_interdit(QChar c) {
    return c.unicode() < 0x20 || c.category() == QChar::Other_Control ||
           QStringView(u"<>|\"*?:\\/").contains(c);
}

bool nom_valide(QStringView nom) {
    return !nom.isEmpty() && std::none_of(nom.begin(), nom.end(), caractere_interdit);
}

QChar lettre_connue(QChar lettre) {
    const QChar l = lettre.toUpper();
    if (!TableUnites::instance().repertoire(l))
        lever(ERR_PERIPHERIQUE_ABSENT);
    return l;
}

// Noms d'un chemin DOS absolu ("C:\A\B" => A, B).
QStringList composants(const QString& chemin_absolu) {
    return chemin_absolu.mid(3).split(u'\\', Qt::SkipEmptyParts);
}

void appliquer(QStringList& noms, QStringView nom) {
    if (nom == u".")
        return;
    if (nom == u"..") {
        if (!noms.isEmpty())
            noms.removeLast();
        return;
    }
    if (!nom_valide(nom))
        lever(ERR_NOM_INCORRECT);
    noms.append(nom.toString());
}

bool existe_hote(const QString& chemin) {
    struct stat st;
    return ::lstat(QFile::encodeName(chemin).constData(), &st) == 0;
}

// Noms d'un répertoire de l'hôte rangés par leur forme en minuscules, gardés
// tant que la date de modification du répertoire ne change pas : chercher un
// nom absent (tout fichier qu'on va créer) ne relit pas le répertoire entier.
struct RepertoireConnu {
    timespec modification{};
    QHash<QString, QString> noms; // minuscules => premier nom réel trié
};

struct CacheNoms {
    QMutex verrou;
    QHash<QString, RepertoireConnu> repertoires;
};

CacheNoms& cache_noms() {
    static CacheNoms c;
    return c;
}

constexpr qsizetype k_repertoires_gardes = 64;

bool date_repertoire(const QString& repertoire, timespec& date) {
    struct stat st;
    if (::stat(QFile::encodeName(repertoire).constData(), &st) != 0)
        return false;
    date = st.st_mtim;
    return true;
}

bool meme_date(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void ranger_nom(QHash<QString, QString>& noms, const QString& nom) {
    QString& reel = noms[nom.toLower()];
    if (reel.isEmpty() || nom < reel)
        reel = nom;
}

RepertoireConnu lire_repertoire(const QString& repertoire, const timespec& date) {
    RepertoireConnu r;
    r.modification = date;
    for (const QString& nom : noms_hote(repertoire))
        ranger_nom(r.noms, nom);
    return r;
}

// Nom réel d'un composant : exact d'abord, sinon le premier (dans l'ordre
// trié) qui n'en diffère que par la casse ; vide si aucun.
QString nom_sur_disque(const QString& repertoire, const QString& nom) {
    if (existe_hote(joindre_hote(repertoire, nom)))
        return nom;
    timespec date{};
    if (!date_repertoire(repertoire, date))
        return {};
    CacheNoms& cache = cache_noms();
    QMutexLocker verrou(&cache.verrou);
    auto connu = cache.repertoires.find(repertoire);
    if (connu != cache.repertoires.end() && meme_date(connu->modification, date)) {
        QString reel = connu->noms.value(nom.toLower());
        // Un nom disparu sans changer la date (même instant) : on relit.
        if (reel.isEmpty() || existe_hote(joindre_hote(repertoire, reel)))
            return reel;
    }
    if (cache.repertoires.size() >= k_repertoires_gardes)
        cache.repertoires.clear();
    const RepertoireConnu& lu =
        *cache.repertoires.insert(repertoire, lire_repertoire(repertoire, date));
    return lu.noms.value(nom.toLower());
}

struct FermeRepertoire {
    void operator()(DIR* d) const { ::closedir(d); }
};

} // namespace

void noter_nom_cree(const QString& chemin_hote) {
    const qsizetype barre = chemin_hote.lastIndexOf(u'/');
    if (barre < 0)
        return;
    const QString repertoire = barre == 0 ? QStringLiteral("/") : chemin_hote.left(barre);
    timespec date{};
    const bool lu = date_repertoire(repertoire, date);
    CacheNoms& cache = cache_noms();
    QMutexLocker verrou(&cache.verrou);
    auto connu = cache.repertoires.find(repertoire);
    if (connu == cache.repertoires.end())
        return;
    if (!lu) {
        cache.repertoires.erase(connu);
        return;
    }
    ranger_nom(connu->noms, chemin_hote.mid(barre + 1));
    connu->modification = date;
}

bool nom_exprimable(const QByteArray& nom_hote) {
    QStringDecoder decodeur(QStringDecoder::Utf8);
    const QString nom = decodeur.decode(nom_hote);
    // Une suite UTF-8 tronquée en fin de nom attend sa fin sans erreur : le
    // nom décodé (U+FFFD) ne désignerait pas le fichier.
    return !decodeur.hasError() && nom_valide(nom) && nom.toUtf8() == nom_hote;
}

QStringList noms_hote(const QString& repertoire_hote, int* erreur) {
    std::unique_ptr<DIR, FermeRepertoire> rep(::opendir(QFile::encodeName(repertoire_hote)));
    if (erreur)
        *erreur = rep ? 0 : errno;
    QStringList noms;
    while (rep) {
        const dirent* entree = ::readdir(rep.get());
        if (!entree)
            break;
        const QByteArray nom(entree->d_name);
        if (nom != "." && nom != ".." && nom_exprimable(nom))
            noms.append(QString::fromUtf8(nom));
    }
    return noms;
}

QString joindre_hote(const QString& repertoire_hote, const QString& nom) {
    return repertoire_hote.endsWith(u'/') ? repertoire_hote + nom : repertoire_hote + u'/' + nom;
}

QString chemin_dos_absolu(const QString& chemin_dos) {
    QString texte = chemin_dos;
    texte.replace(u'/', u'\\');
    QStringView reste = texte;
    QChar lettre;
    if (texte.size() >= 2 && texte.at(1) == u':') {
        if (!texte.at(0).isLetter() || texte.at(0).unicode() > 0x7F)
            lever(ERR_NOM_INCORRECT);
        lettre = lettre_connue(texte.at(0));
        reste = reste.mid(2);
    } else {
        lettre = lettre_connue(unite_courante());
    }
    QStringList noms;
    if (!reste.startsWith(u'\\'))
        noms = composants(repertoire_courant(lettre));
    for (QStringView nom : reste.split(u'\\', Qt::SkipEmptyParts))
        appliquer(noms, nom);
    return QString(lettre) + QStringLiteral(":\\") + noms.join(u'\\');
}

QString dos_vers_hote(const QString& chemin_dos) {
    const QString absolu = chemin_dos_absolu(chemin_dos);
    QString hote = *TableUnites::instance().repertoire(absolu.at(0));
    // Après un composant absent, les suivants sont gardés tels quels.
    bool present = true;
    for (const QString& nom : composants(absolu)) {
        const QString reel = present ? nom_sur_disque(hote, nom) : QString();
        present = !reel.isEmpty();
        hote = joindre_hote(hote, present ? reel : nom);
    }
    return hote;
}

std::optional<QString> hote_vers_dos(const QString& chemin_hote) {
    if (chemin_hote.isEmpty())
        return std::nullopt;
    const QString chemin = QDir::cleanPath(QDir::current().absoluteFilePath(chemin_hote));
    const auto unite = TableUnites::instance().unite_de(chemin);
    if (!unite)
        return std::nullopt;
    const QStringList noms = chemin.mid(unite->repertoire.size()).split(u'/', Qt::SkipEmptyParts);
    if (!std::all_of(noms.begin(), noms.end(), [](const QString& n) { return nom_valide(n); }))
        return std::nullopt;
    return QString(unite->lettre) + QStringLiteral(":\\") + noms.join(u'\\');
}

QChar unite_courante() {
    const TableUnites& table = TableUnites::instance();
    const QChar choisie = etat().unite;
    if (!choisie.isNull() && table.repertoire(choisie))
        return choisie;
    if (table.repertoire(u'C') || table.unites().isEmpty())
        return u'C';
    return table.unites().first().lettre;
}

void changer_unite(QChar lettre) {
    const QChar l = lettre_connue(lettre);
    // Un support retiré laisse l'unité dans la table sans sa racine.
    if (!QFileInfo(*TableUnites::instance().repertoire(l)).isDir())
        lever(ERR_PERIPHERIQUE_ABSENT);
    etat().unite = l;
    // Le répertoire du processus suit celui de l'unité courante.
    QDir::setCurrent(dos_vers_hote(repertoire_courant(l)));
}

QString repertoire_courant(QChar lettre) {
    const QChar l = lettre_connue(lettre.isNull() ? unite_courante() : lettre);
    return etat().repertoires.value(l, QString(l) + QStringLiteral(":\\"));
}

void changer_repertoire(const QString& chemin_dos) {
    const QString absolu = chemin_dos_absolu(chemin_dos);
    const QString hote = dos_vers_hote(absolu);
    if (!QFileInfo(hote).isDir())
        lever(ERR_CHEMIN_INTROUVABLE);
    etat().repertoires.insert(absolu.at(0), absolu);
    if (absolu.at(0) == unite_courante())
        QDir::setCurrent(hote);
}

void reinitialiser_repertoires_courants() {
    etat() = EtatCourant();
}

std::optional<QString> adopter_repertoire_du_processus() {
    // Vide quand le répertoire du processus a disparu.
    QString hote = QDir::currentPath();
    while (!hote.isEmpty()) {
        const auto dos = hote_vers_dos(hote);
        if (dos && QFileInfo(hote).isDir()) {
            etat().unite = dos->at(0);
            etat().repertoires.insert(dos->at(0), *dos);
            QDir::setCurrent(hote);
            return dos;
        }
        if (hote == u"/")
            break;
        hote = QDir::cleanPath(hote + QStringLiteral("/.."));
    }
    return std::nullopt;
}

QString dernier_composant(const QString& chemin_dos) {
    const qsizetype barre = chemin_dos.lastIndexOf(u'\\');
    if (barre >= 0)
        return chemin_dos.mid(barre + 1);
    return chemin_dos.size() >= 2 && chemin_dos.at(1) == u':' ? chemin_dos.mid(2) : chemin_dos;
}

QString repertoire_parent(const QString& chemin_dos) {
    const qsizetype barre = chemin_dos.lastIndexOf(u'\\');
    if (barre < 0)
        return chemin_dos.size() >= 2 && chemin_dos.at(1) == u':' ? chemin_dos.left(2) : QString();
    // "C:\A" => "C:\" : la racine garde sa barre.
    const bool racine = barre == 2 && chemin_dos.at(1) == u':';
    return chemin_dos.left(racine || barre == 0 ? barre + 1 : barre);
}

QString joindre(const QString& repertoire_dos, const QString& nom) {
    if (repertoire_dos.isEmpty() || repertoire_dos.endsWith(u'\\'))
        return repertoire_dos + nom;
    return repertoire_dos + u'\\' + nom;
}

QString chemin_montre(const QString& chemin_dos) {
    if (chemin_dos.size() < 2 || chemin_dos.at(1) != u':')
        return chemin_dos;
    return chemin_dos.at(0).toLower() + chemin_dos.mid(1);
}

} // namespace plateforme
