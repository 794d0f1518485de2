// Copie d'arbres : inventaire, cible provisoire, nettoyage à l'abandon.
#include "manager/commands/arbre_copie.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace copie {

namespace {

QByteArray joint(const QByteArray& base, const QByteArray& relatif) {
    return relatif.isEmpty() ? base : base + '/' + relatif;
}

QByteArray parent_de(const QByteArray& chemin) {
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArray("/") : chemin.left(barre);
}

bool present(const QByteArray& chemin, struct stat& etat) {
    if (::lstat(chemin.constData(), &etat) == 0)
        return true;
    if (errno != ENOENT)
        plateforme::lever_errno(errno);
    return false;
}

void lister(const QByteArray& racine, const QByteArray& relatif, QList<Element>& sortie) {
    const QByteArray chemin = joint(racine, relatif);
    DIR* d = ::opendir(chemin.constData());
    if (!d)
        plateforme::lever_errno(errno);
    QList<QByteArray> noms;
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray nom(e->d_name);
        if (nom != "." && nom != "..")
            noms << nom;
        errno = 0;
    }
    const int code = errno;
    ::closedir(d);
    if (code != 0)
        plateforme::lever_errno(code);
    std::sort(noms.begin(), noms.end());
    for (const QByteArray& nom : noms) {
        const QByteArray rel = relatif.isEmpty() ? nom : relatif + '/' + nom;
        struct stat etat {};
        if (::lstat(joint(racine, rel).constData(), &etat) != 0)
            plateforme::lever_errno(errno);
        if (S_ISDIR(etat.st_mode)) {
            sortie << Element{rel, Element::Repertoire, 0};
            lister(racine, rel, sortie);
        } else if (S_ISREG(etat.st_mode)) {
            sortie << Element{rel, Element::Fichier, qint64(etat.st_size)};
        } else {
            sortie << Element{rel, S_ISLNK(etat.st_mode) ? Element::Lien : Element::Special, 0};
        }
    }
}

// Nom libre, caché, dans 'repertoire' : répertoire ou lien en construction.
QByteArray nom_libre(const QByteArray& repertoire) {
    for (;;) {
        const quint32 tirage = QRandomGenerator::global()->bounded(0x100000u);
        const QByteArray nom = u".KD%1.TMP"_s.arg(tirage, 5, 16, QChar(u'0')).toUpper().toLatin1();
        QByteArray chemin = repertoire + '/' + nom;
        struct stat etat {};
        if (::lstat(chemin.constData(), &etat) != 0 && errno == ENOENT)
            return chemin;
    }
}

// Efface sans rien lever : ce qu'on a soi-même créé, au mieux.
void effacer_tout(const QByteArray& chemin) noexcept {
    struct stat etat {};
    if (::lstat(chemin.constData(), &etat) != 0)
        return;
    if (!S_ISDIR(etat.st_mode)) {
        ::unlink(chemin.constData());
        return;
    }
    ::chmod(chemin.constData(), (etat.st_mode & 07777) | S_IRWXU);
    if (DIR* d = ::opendir(chemin.constData())) {
        QList<QByteArray> noms;
        while (const dirent* e = ::readdir(d)) {
            const QByteArray nom(e->d_name);
            if (nom != "." && nom != "..")
                noms << nom;
        }
        ::closedir(d);
        for (const QByteArray& nom : noms)
            effacer_tout(chemin + '/' + nom);
    }
    ::rmdir(chemin.constData());
}

// Ce que la copie a créé, pour le défaire à l'abandon.
struct Chantier {
    QByteArray provisoire; // racine bâtie sous un nom caché
    QList<QByteArray> crees;
    void defaire() noexcept {
        if (!provisoire.isEmpty())
            effacer_tout(provisoire);
        provisoire.clear();
        for (qsizetype i = crees.size() - 1; i >= 0; --i) {
            struct stat etat {};
            if (::lstat(crees[i].constData(), &etat) != 0)
                continue;
            // Un répertoire créé ici n'est vidé que de ce qui a été créé ici.
            if (S_ISDIR(etat.st_mode))
                ::rmdir(crees[i].constData());
            else
                ::unlink(crees[i].constData());
        }
        crees.clear();
    }
};

// Jauge sur le total des octets, économe comme celle d'un fichier.
class Progression {
public:
    Progression(const Rappels& r, qint64 total) : r(r), total(total) {
        jauge = total >= SEUIL_JAUGE;
        horloge.start();
    }
    void debut() {
        if (r.montrer_jauge)
            r.montrer_jauge(jauge);
        montrer(0, true);
    }
    bool arreter() const { return r.arret && r.arret(); }
    // Rappels d'un fichier : son pourcentage devient celui du total. Le
    // moteur espace déjà ses appels et montre toujours la fin du fichier.
    Rappels pour_fichier(qint64 taille) {
        return {{},
                [this, taille](int v) { montrer(fait + taille * v / 100, true); },
                r.arret,
                r.ceder};
    }
    void fichier_fini(qint64 taille) {
        fait += taille;
        montrer(fait, fait >= total);
        ceder();
    }
    void ceder() {
        if (r.ceder && horloge.elapsed() - dernier_ceder >= 10) {
            r.ceder();
            dernier_ceder = horloge.elapsed();
        }
    }

private:
    void montrer(qint64 octets, bool maintenant) {
        if (!jauge || !r.progression)
            return;
        const int valeur = int(qMin<qint64>(100, octets * 100 / total));
        if (valeur == affichee || (!maintenant && horloge.elapsed() - derniere < 30))
            return;
        r.progression(valeur);
        affichee = valeur;
        derniere = horloge.elapsed();
    }
    const Rappels& r;
    qint64 total;
    qint64 fait = 0;
    bool jauge = false;
    QElapsedTimer horloge;
    qint64 derniere = 0;
    qint64 dernier_ceder = 0;
    int affichee = -1;
};

bool faire(const RappelsArbre& r, const std::function<void()>& etape) {
    if (r.etape)
        return r.etape(etape);
    etape();
    return true;
}

// Droits (sans set-user-ID ni set-group-ID) et dates de la source.
void poser_droits(const QByteArray& source, const QByteArray& cible) {
    struct stat etat {};
    if (::lstat(source.constData(), &etat) != 0)
        plateforme::lever_errno(errno);
    // Un système de fichiers sans droits (vfat) garde les siens.
    if (::chmod(cible.constData(), etat.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID)) != 0 &&
        errno != EPERM && errno != EOPNOTSUPP)
        plateforme::lever_errno(errno);
    const struct timespec temps[2] = {etat.st_atim, etat.st_mtim};
    if (::utimensat(AT_FDCWD, cible.constData(), temps, 0) != 0)
        plateforme::lever_errno(errno);
}

// Le lien est recréé tel quel (sa cible n'est pas suivie), sous un nom
// caché, puis prend son nom.
void copier_lien(const QByteArray& source, const QByteArray& cible, bool remplacer) {
    struct stat etat {};
    if (::lstat(source.constData(), &etat) != 0)
        plateforme::lever_errno(errno);
    QByteArray vers(qMax<qsizetype>(etat.st_size, 64) + 1, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(source.constData(), vers.data(), size_t(vers.size()));
        if (n < 0)
            plateforme::lever_errno(errno);
        if (n < vers.size()) {
            vers.truncate(n);
            break;
        }
        vers.resize(vers.size() * 2);
    }
    const QByteArray provisoire = nom_libre(parent_de(cible));
    if (::symlink(vers.constData(), provisoire.constData()) != 0)
        plateforme::lever_errno(errno);
    try {
        if (remplacer) {
            if (::rename(provisoire.constData(), cible.constData()) != 0)
                plateforme::lever_errno(errno);
        } else {
            plateforme::nommer_sans_remplacer(provisoire, cible);
        }
    } catch (...) {
        ::unlink(provisoire.constData());
        throw;
    }
    const struct timespec temps[2] = {etat.st_atim, etat.st_mtim};
    ::utimensat(AT_FDCWD, cible.constData(), temps, AT_SYMLINK_NOFOLLOW);
}

} // namespace

QList<Element> inventorier(const QByteArray& racine) {
    struct stat etat {};
    if (::lstat(racine.constData(), &etat) != 0)
        plateforme::lever_errno(errno);
    if (S_ISLNK(etat.st_mode))
        return {Element{{}, Element::Lien, 0}};
    if (S_ISREG(etat.st_mode))
        return {Element{{}, Element::Fichier, qint64(etat.st_size)}};
    if (!S_ISDIR(etat.st_mode))
        return {Element{{}, Element::Special, 0}};
    QList<Element> elements{Element{{}, Element::Repertoire, 0}};
    lister(racine, {}, elements);
    return elements;
}

qint64 total_octets(const QList<Element>& elements) {
    qint64 total = 0;
    for (const Element& e : elements)
        total += e.taille;
    return total;
}

bool dans_lui_meme(const QByteArray& source, const QByteArray& cible) {
    char tampon[PATH_MAX];
    if (!::realpath(source.constData(), tampon))
        return false;
    const QByteArray vraie_source(tampon);
    QByteArray c = cible;
    while (!::realpath(c.constData(), tampon)) {
        if (c == "/")
            return false;
        c = parent_de(c);
    }
    const QByteArray vraie_cible(tampon);
    return vraie_source == "/" || vraie_cible == vraie_source ||
           vraie_cible.startsWith(vraie_source + '/');
}

Fin copier_arbre(const QByteArray& source, const QByteArray& cible, const QList<Element>& elements,
                 const RappelsArbre& r, bool durable) {
    if (elements.isEmpty())
        return Fin::Complete;
    Progression progression(r.copie, total_octets(elements));
    Chantier chantier;
    Fin fin = Fin::Complete;
    // Un fichier ou un lien déjà là : la question de remplacement ; faux
    // pour l'abandon, 'garder' quand l'usager dit Non.
    const auto question = [&](const Element& e, const QByteArray& vers, bool& deja, bool& garder) {
        struct stat etat {};
        deja = false;
        garder = false;
        if (!faire(r, [&] {
                deja = present(vers, etat);
                if (deja && S_ISDIR(etat.st_mode))
                    plateforme::lever(plateforme::ERR_FICHIER_EXISTE);
            }))
            return false;
        if (!deja)
            return true;
        const int reponse = r.remplacer ? r.remplacer(e) : plateforme::REP_OUI;
        if (reponse == plateforme::REP_ANNULER || reponse == 0)
            return false;
        garder = reponse != plateforme::REP_OUI;
        return true;
    };
    try {
        const Element& tete = elements.first();
        if (tete.genre == Element::Special)
            plateforme::lever(plateforme::ERR_ACCES);
        progression.debut();
        if (tete.genre == Element::Lien || tete.genre == Element::Fichier) {
            bool deja = false;
            bool garder = false;
            if (r.element)
                r.element(tete);
            if (!question(tete, cible, deja, garder))
                return Fin::Abandonnee;
            if (garder)
                return Fin::Incomplete;
            Issue issue = Issue::Copiee;
            const Rappels rappels = progression.pour_fichier(tete.taille);
            const bool fait = faire(r, [&] {
                if (tete.genre == Element::Lien)
                    copier_lien(source, cible, deja);
                else
                    issue = copier_blocs_hote(source, cible, rappels,
                                              durable ? Source::Effacee : Source::Gardee);
            });
            progression.fichier_fini(tete.taille);
            return fait && issue == Issue::Copiee ? Fin::Complete : Fin::Abandonnee;
        }
        struct stat etat {};
        bool neuve = false;
        QByteArray base = cible;
        if (!faire(r, [&] {
                neuve = !present(cible, etat);
                if (!neuve && !S_ISDIR(etat.st_mode))
                    plateforme::lever(plateforme::ERR_FICHIER_EXISTE);
                if (neuve) {
                    base = nom_libre(parent_de(cible));
                    if (::mkdir(base.constData(), 0700) != 0)
                        plateforme::lever_errno(errno);
                    chantier.provisoire = base;
                }
            }))
            return Fin::Abandonnee;
        // Répertoires créés : leurs droits et dates viennent à la fin.
        QList<QByteArray> repertoires;
        if (neuve)
            repertoires << QByteArray();
        for (qsizetype i = 1; i < elements.size(); ++i) {
            const Element& e = elements[i];
            if (progression.arreter()) {
                chantier.defaire();
                return Fin::Abandonnee;
            }
            if (r.element)
                r.element(e);
            const QByteArray de = joint(source, e.relatif);
            const QByteArray vers = joint(base, e.relatif);
            bool fait = true;
            if (e.genre == Element::Repertoire) {
                fait = faire(r, [&] {
                    if (present(vers, etat)) {
                        if (!S_ISDIR(etat.st_mode))
                            plateforme::lever(plateforme::ERR_FICHIER_EXISTE);
                        return;
                    }
                    if (::mkdir(vers.constData(), 0700) != 0)
                        plateforme::lever_errno(errno);
                    if (!neuve)
                        chantier.crees << vers;
                    repertoires << e.relatif;
                });
            } else if (e.genre == Element::Special) {
                // Tube, périphérique, prise : ce n'est pas un contenu à recopier.
                fait = faire(r, [] { plateforme::lever(plateforme::ERR_ACCES); });
            } else {
                bool deja = false;
                bool garder = false;
                if (!question(e, vers, deja, garder)) {
                    chantier.defaire();
                    return Fin::Abandonnee;
                }
                if (garder) {
                    fin = Fin::Incomplete;
                    progression.fichier_fini(e.taille);
                    continue;
                }
                Issue issue = Issue::Copiee;
                const Rappels rappels = progression.pour_fichier(e.taille);
                fait = faire(r, [&] {
                    if (e.genre == Element::Lien)
                        copier_lien(de, vers, deja);
                    else
                        issue = copier_blocs_hote(de, vers, rappels,
                                                  durable ? Source::Effacee : Source::Gardee);
                });
                if (fait && issue == Issue::Arretee)
                    fait = false;
                else if (fait && !deja && !neuve)
                    chantier.crees << vers;
                progression.fichier_fini(e.taille);
            }
            if (!fait) {
                chantier.defaire();
                return Fin::Abandonnee;
            }
        }
        // Un Arret venu avec le dernier bloc compte encore : rien n'a pris son nom.
        if (progression.arreter()) {
            chantier.defaire();
            return Fin::Abandonnee;
        }
        // Les plus profonds d'abord : écrire dans un répertoire change sa date.
        for (qsizetype i = repertoires.size() - 1; i >= 0; --i) {
            const QByteArray& rel = repertoires[i];
            if (!faire(r, [&] { poser_droits(joint(source, rel), joint(base, rel)); })) {
                chantier.defaire();
                return Fin::Abandonnee;
            }
        }
        if (neuve) {
            if (!faire(r, [&] { plateforme::nommer_sans_remplacer(base, cible); })) {
                chantier.defaire();
                return Fin::Abandonnee;
            }
            chantier.provisoire.clear();
            const qsizetype barre = cible.lastIndexOf('/');
            if (plateforme::nom_exprimable(cible.mid(barre + 1)))
                plateforme::noter_nom_cree(QFile::decodeName(cible));
        }
    } catch (...) {
        chantier.defaire();
        throw;
    }
    return fin;
}

void effacer_arbre(const QByteArray& racine, const QList<Element>& elements) {
    // Un répertoire en lecture seule se vide comme il se renommerait.
    for (const Element& e : elements) {
        if (e.genre != Element::Repertoire)
            continue;
        const QByteArray chemin = joint(racine, e.relatif);
        struct stat etat {};
        if (::lstat(chemin.constData(), &etat) != 0)
            plateforme::lever_errno(errno);
        if ((etat.st_mode & S_IRWXU) != S_IRWXU &&
            ::chmod(chemin.constData(), (etat.st_mode & 07777) | S_IRWXU) != 0)
            plateforme::lever_errno(errno);
    }
    for (qsizetype i = elements.size() - 1; i >= 0; --i) {
        const QByteArray chemin = joint(racine, elements[i].relatif);
        const bool repertoire = elements[i].genre == Element::Repertoire;
        if ((repertoire ? ::rmdir(chemin.constData()) : ::unlink(chemin.constData())) != 0 &&
            errno != ENOENT)
            plateforme::lever_errno(errno);
    }
}

Fin deplacer_arbre(const QByteArray& source, const QByteArray& cible,
                   const QList<Element>& elements, const RappelsArbre& r) {
    bool renomme = false;
    if (!faire(r, [&] {
            struct stat etat {};
            if (present(cible, etat))
                return;
            if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, cible.constData(),
                            RENAME_NOREPLACE) == 0) {
                renomme = true;
                return;
            }
            if (errno != EXDEV)
                plateforme::lever_errno(errno);
        }))
        return Fin::Abandonnee;
    if (renomme)
        return Fin::Complete;
    const Fin fin = copier_arbre(source, cible, elements, r, true);
    if (fin != Fin::Complete)
        return fin;
    // Tout est sur le disque de la cible : la source peut partir. Un reste
    // qui ne part pas est dit à l'usager, rien n'est perdu.
    return faire(r, [&] { effacer_arbre(source, elements); }) ? Fin::Complete : Fin::Incomplete;
}

} // namespace copie
