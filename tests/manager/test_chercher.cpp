// CHERCHER : critères, arbre des répertoires gardé, résultats remis aux commandes.
#include "essai_fenetre.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/search/cde_chercher.h"
#include "manager/search/cherche_fichier.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "support/quand.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString INCORRECT = u"Nom ou extension de fichier incorrect."_s;
const QString CONFLIT = u"Les fichiers exclus annulent les fichiers recherchés."_s;

using essai::quand;
} // namespace

class TestChercher : public EssaiFenetre {
    Q_OBJECT

    Cde_Chercher* cde = nullptr;
    Cherche_Fichier* res = nullptr;
    std::unique_ptr<essai::UniteTemporaire> dd; // seconde unité, défaite après la fenêtre

    // C:\ : doc (a.txt, a.tmp, B.TXT, sous\c.txt), autre\d.bat.
    void charger() {
        c->creer_fichier(u"doc/a.txt"_s, "aaa");
        c->creer_fichier(u"doc/a.tmp"_s, "t");
        c->creer_fichier(u"doc/B.TXT"_s, "bb");
        c->creer_fichier(u"doc/sous/c.txt"_s, "c");
        c->creer_fichier(u"autre/d.bat"_s, "d");
        ouvrir();
    }
    void ouvrir() {
        c->creer_repertoire(u"doc"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Unité_srce->setDrive(u"C:"_s);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        etat_commande().liste_parcourue = f->Fichier_srce;
        f->cde_chercher = cde = new Cde_Chercher(f.get());
        res = cde->résultats;
    }

    // Recherche directe dans la fenêtre des résultats, sans la montrer.
    // 'fermer' : la fenêtre est ensuite annulée, comme Cde_Chercher la reprend.
    QStringList chercher(const QString& motif, const QString& exclus = QString(),
                         bool fermer = true) {
        etat_commande().commande_courante = u"CHERCHER"_s;
        res->motif = motif;
        res->exclus = exclus;
        res->recherche_demandée = true;
        res->Rechercher();
        QStringList lignes;
        for (int i = 0; i < res->Liste_sél->count(); ++i)
            lignes << res->Liste_sél->item(i)->text();
        if (fermer && f->résultats_recherche) {
            res->Annule_Click();
            f->résultats_recherche = false;
            etat_commande().demande_d_arrêt = false;
        }
        return lignes;
    }
    // Chaque ligne porte le chemin réel de ce qu'elle montre (les lignes
    // entrent par blocs, leur chemin ensuite : aucun ne doit glisser).
    static QStringList ecarts_de_chemin(const QListWidget* liste) {
        QStringList ecarts;
        for (int i = 0; i < liste->count(); ++i) {
            const QListWidgetItem* e = liste->item(i);
            if (montre(e->data(ROLE_CHEMIN_REEL).toString()) != e->text())
                ecarts << e->text();
        }
        return ecarts;
    }
    // Un trouvé est montré tel qu'il est sur le disque, lettre d'unité en minuscule.
    static QString montre(const QString& dos) { return dos.left(1).toLower() + dos.mid(1); }
    QString montre_c(const QString& relatif) const { return montre(c->dos(relatif)); }

    // Critères saisis puis OK ; la fenêtre des résultats, si elle s'ouvre,
    // est annulée dès qu'elle a fini.
    void valider(const QString& cherche, const QString& exclus) {
        etat_commande().commande_courante = u"CHERCHER"_s;
        cde->Fichiers_cherchés->setText(cherche);
        cde->Fichiers_exclus->setText(exclus);
        quand(
            f.get(), [this] { return res->isVisible() && f->résultats_recherche; },
            [this] { res->Annule_Click(); });
        cde->OK_Click();
    }

private slots:
    void init() { monter(); }
    void cleanup() {
        cde = nullptr;
        res = nullptr;
        const bool ok = demonter();
        dd.reset();
        QVERIFY(ok);
    }

    // ------------------------------------------------------------ critères

    // Le champ reçoit le texte normalisé ; "*." passe sans validation ; un
    // motif sans rien qu'étoiles et points est refusé et le champ vidé.
    void champ_cherche_data() {
        QTest::addColumn<QString>("saisi");
        QTest::addColumn<QString>("attendu"); // vide : refusé
        QTest::addColumn<QString>("message");
        QTest::newRow("bat") << u"bat"_s << u"bat.*"_s << u"'bat.*'"_s;
        QTest::newRow(".bat") << u".bat"_s << u"*.bat"_s << u"'*.bat'"_s;
        QTest::newRow("ms*") << u"ms*"_s << u"ms*.*"_s << u"'ms*.*'"_s;
        QTest::newRow(".") << u"."_s << u"*."_s << u"'*.'"_s;
        QTest::newRow("*.") << u"*."_s << u"*."_s << u"'*.'"_s;
        QTest::newRow("?.*") << u"?.*"_s << u"?.*"_s << u"'?.*'"_s;
        QTest::newRow("complet") << u"a?c.t*"_s << u"a?c.t*"_s << u"'a?c.t*'"_s;
        QTest::newRow("*") << u"*"_s << QString() << INCORRECT;
        QTest::newRow("*.*") << u"*.*"_s << QString() << INCORRECT;
        QTest::newRow("caractère interdit") << u"a:b"_s << QString() << INCORRECT;
    }
    void champ_cherche() {
        QFETCH(QString, saisi);
        QFETCH(QString, attendu);
        QFETCH(QString, message);
        ouvrir(); // unité sans fichier : chaque recherche finit sur le message
        d->repondre(plateforme::REP_OK);
        valider(saisi, QString());
        QCOMPARE(cde->Fichiers_cherchés->text(), attendu);
        QVERIFY(d->dernier().texte.contains(message));
        QCOMPARE(d->dernier().titre, u"CHERCHER"_s);
        QCOMPARE(d->dernier().style, attendu.isEmpty() ? int(plateforme::MB_EXCLAMATION)
                                                       : int(plateforme::MB_INFORMATION));
        QVERIFY(d->bips() >= 1);
    }

    // Le conflit distingue capitales et minuscules ; le balayage, non.
    void champ_exclus_data() {
        QTest::addColumn<QString>("cherche");
        QTest::addColumn<QString>("exclus");
        QTest::addColumn<QString>("exclus_apres");
        QTest::addColumn<bool>("lancee");
        QTest::addColumn<QString>("message"); // vide : d.bat trouvé, aucun message
        const QString aucun = u"Pas de fichier correspondant à '*.BAT'"_s + CR +
                              u"                  sur le disque C:"_s;
        QTest::newRow("conflit") << u"*.bat"_s << u".bat"_s << u"*.bat"_s << false << CONFLIT;
        QTest::newRow("casse distinguée")
            << u"*.BAT"_s << u"*.bat"_s << u"*.bat"_s << true << aucun;
        QTest::newRow("conflit par joker")
            << u"ab.txt"_s << u"a?"_s << u"a?.*"_s << false << CONFLIT;
        QTest::newRow("sans extension accepté")
            << u"*.bat"_s << u"*."_s << u"*."_s << true << QString();
        QTest::newRow("exclus refusé") << u"*.bat"_s << u"*.*"_s << QString() << false << INCORRECT;
        QTest::newRow("exclus vide") << u"*.bat"_s << QString() << QString() << true << QString();
    }
    void champ_exclus() {
        QFETCH(QString, cherche);
        QFETCH(QString, exclus);
        QFETCH(QString, exclus_apres);
        QFETCH(bool, lancee);
        QFETCH(QString, message);
        charger();
        if (!message.isEmpty())
            d->repondre(plateforme::REP_OK);
        valider(cherche, exclus);
        QCOMPARE(cde->Fichiers_exclus->text(), exclus_apres);
        QCOMPARE(res->Recherche->text().isEmpty(), !lancee);
        if (message.isEmpty()) {
            QVERIFY(d->questions().isEmpty());
        } else {
            QCOMPARE(d->dernier().texte, message);
            QCOMPARE(d->dernier().style,
                     int(lancee ? plateforme::MB_INFORMATION : plateforme::MB_EXCLAMATION));
        }
    }

    void cherche_vide_annule() {
        charger();
        cde->Fichiers_cherchés->clear();
        cde->Fichiers_exclus->setText(u"*.*"_s);
        cde->show();
        cde->OK_Click();
        QVERIFY(!cde->isVisible());
        QCOMPARE(cde->Fichiers_exclus->text(), u"*.*"_s); // rien n'a été validé
        QVERIFY(d->questions().isEmpty());
    }

    // ------------------------------------------------------------ recherche

    // Rangés sans égard à la casse, montrés avec elle : README et readme sont
    // deux trouvés.
    void resultats_alphabetiques_tels_que_sur_le_disque() {
        c->creer_fichier(u"doc/readme.txt"_s, "minuscules");
        c->creer_fichier(u"doc/README.txt"_s, "capitales");
        charger();
        const QStringList trouves = chercher(u"*.txt"_s, QString(), false);
        QCOMPARE(trouves, (QStringList{montre_c(u"doc/a.txt"_s), montre_c(u"doc/B.TXT"_s),
                                       montre_c(u"doc/README.txt"_s), montre_c(u"doc/readme.txt"_s),
                                       montre_c(u"doc/sous/c.txt"_s)}));
        QCOMPARE(res->Mess_infos->text(), u" 5 fichiers trouvés"_s);
        QCOMPARE(ecarts_de_chemin(res->Liste_sél), QStringList());
        QCOMPARE(res->windowTitle(), u"Sélectionnez le(s) fichier(s)"_s);
        QVERIFY(!res->Ok->isHidden());
        QVERIFY(!res->Ok->isEnabled()); // rien de choisi encore
        QCOMPARE(res->Recherche->text(), u"*.TXT"_s);
        QVERIFY(f->résultats_recherche);
        res->Liste_sél->item(0)->setSelected(true);
        QVERIFY(res->Ok->isEnabled());
        res->Annule_Click();
        f->résultats_recherche = false;
    }

    // Les trouvés paraissent pendant la recherche, la boucle d'événements
    // vivante : à chaque tour, la liste a autant de lignes que le compte en
    // annonce, toujours dans l'ordre alphabétique.
    void trouves_montres_pendant_le_balayage() {
        c->creer_fichier(u"Z.TXT"_s, "z"); // à la racine : vu dès le premier tour
        for (int i = 0; i < 40; ++i)
            c->creer_fichier(u"r%1/m%2.txt"_s.arg(i, 2, 10, QChar(u'0')).arg(39 - i), "m");
        charger();
        chercher(u"*.txt"_s); // l'arbre est fait : le second passage ne fait que balayer
        static const QRegularExpression compte(u"^ ?([0-9]+) fichiers? trouvés?$"_s);
        int tours = 0, avec_trouves = 0;
        QStringList ecarts;
        QTimer sonde;
        connect(&sonde, &QTimer::timeout, this, [&] {
            const auto m = compte.match(res->Mess_infos->text());
            if (!m.hasMatch() || f->résultats_recherche)
                return;
            ++tours;
            QStringList lignes;
            for (int i = 0; i < res->Liste_sél->count(); ++i)
                lignes << res->Liste_sél->item(i)->text();
            QStringList triees = lignes;
            triees.sort(Qt::CaseInsensitive);
            if (lignes.size() != m.captured(1).toInt() || lignes != triees)
                ecarts << res->Mess_infos->text() + u" / "_s + QString::number(lignes.size());
            ecarts << ecarts_de_chemin(res->Liste_sél);
            avec_trouves += lignes.isEmpty() ? 0 : 1;
        });
        sonde.start(0);
        const QStringList trouves = chercher(u"*.txt"_s, QString(), false);
        sonde.stop();
        QCOMPARE(trouves.size(), 44);
        QCOMPARE(trouves.first(), montre_c(u"doc/a.txt"_s));
        QCOMPARE(trouves.last(), montre_c(u"Z.TXT"_s));
        QVERIFY2(ecarts.isEmpty(), qPrintable(ecarts.join(u", "_s)));
        QVERIFY(avec_trouves >= 1);
        QVERIFY(tours >= 2);
        res->Annule_Click();
        f->résultats_recherche = false;
    }

    void un_seul_fichier_au_singulier() {
        charger();
        QCOMPARE(chercher(u"d.*"_s), QStringList{montre_c(u"autre/d.bat"_s)});
        QCOMPARE(res->Mess_infos->text(), u" 1 fichier trouvé"_s);
    }

    void exclusion_sans_egard_a_la_casse() {
        charger();
        c->creer_fichier(u"doc/A2.TMP"_s, "t");
        QCOMPARE(chercher(u"a*.*"_s, u"*.tmp"_s), QStringList{montre_c(u"doc/a.txt"_s)});
    }

    void aucun_fichier() {
        charger();
        d->repondre(plateforme::REP_OK);
        QVERIFY(chercher(u"ms*.*"_s).isEmpty());
        QCOMPARE(d->dernier().texte, u"Pas de fichier correspondant à 'ms*.*'"_s + CR +
                                         u"                  sur le disque C:"_s);
        QCOMPARE(d->dernier().style, int(plateforme::MB_INFORMATION));
        QCOMPARE(d->dernier().titre, u"CHERCHER"_s);
        QCOMPARE(d->bips(), 1);
        QCOMPARE(res->nombre_rendu, 0);
        QCOMPARE(res->windowTitle(), Cherche_Fichier::légende_attente());
    }

    // L'arbre est gardé : un répertoire créé hors de KALDRON n'y est pas,
    // mais un fichier ajouté dans un répertoire connu est vu.
    void seconde_recherche_sans_reconstruction() {
        charger();
        QCOMPARE(chercher(u"*.txt"_s).size(), 3);
        const QStringList arbre = f->Liste_rép;
        QVERIFY(arbre.contains(c->dos(u"doc\\sous"_s), Qt::CaseInsensitive));
        c->creer_fichier(u"neuf/n.txt"_s, "n");
        c->creer_fichier(u"doc/sous/e.txt"_s, "e");
        QFile::remove(c->hote(u"doc/a.txt"_s));
        const QStringList trouves = chercher(u"*.txt"_s);
        QCOMPARE(trouves, (QStringList{montre_c(u"doc/B.TXT"_s), montre_c(u"doc/sous/c.txt"_s),
                                       montre_c(u"doc/sous/e.txt"_s)}));
        QCOMPARE(f->Liste_rép, arbre);
    }

    // CREER rend l'arbre périmé : la recherche suivante le refait.
    void reconstruction_apres_creer() {
        charger();
        chercher(u"*.txt"_s);
        c->creer_fichier(u"neuf/n.txt"_s, "n");
        reglages().confirme = false;
        d->repondre_saisie(u"cree"_s);
        f->Créer_Click();
        QVERIFY(QFileInfo(c->hote(u"doc/cree"_s)).isDir());
        QVERIFY(chercher(u"*.txt"_s).contains(montre_c(u"neuf/n.txt"_s)));
        QVERIFY(f->Liste_rép.contains(c->dos(u"doc\\cree"_s), Qt::CaseInsensitive));
    }

    void changement_d_unite() {
        dd = std::make_unique<essai::UniteTemporaire>(u'D');
        dd->creer_fichier(u"x/y.txt"_s, "y");
        charger();
        chercher(u"*.txt"_s);
        f->Unité_srce->setDrive(u"D:"_s);
        QCOMPARE(chercher(u"*.txt"_s), QStringList{montre(dd->dos(u"x/y.txt"_s))});
        QVERIFY(f->Liste_rép.first().startsWith(u"D:"_s, Qt::CaseInsensitive));
        f->Unité_srce->setDrive(u"C:"_s);
        QCOMPARE(chercher(u"*.txt"_s).size(), 3);
    }

    // Annuler pendant la construction arrête tout de suite ; l'arbre inachevé
    // reste périmé et la recherche suivante le refait en entier.
    void annuler_pendant_la_construction() {
        charger();
        for (int i = 0; i < 30; ++i)
            c->creer_repertoire(u"r%1/s"_s.arg(i));
        QTimer::singleShot(0, res, [this] { res->Annule_Click(); });
        QVERIFY(chercher(u"*.txt"_s).isEmpty());
        QVERIFY(f->liste_rep_périmée[0] && f->liste_rep_périmée[1]);
        QVERIFY(f->Liste_rép.size() < 60);
        QCOMPARE(res->nombre_rendu, 0);
        QVERIFY(d->questions().isEmpty()); // ni message ni rapport
        QCOMPARE(chercher(u"*.txt"_s).size(), 3);
        QVERIFY(!f->liste_rep_périmée[0]);
        QVERIFY(f->Liste_rép.size() > 60);
    }

    // Arret de la fenêtre principale arrête aussi le balayage.
    void arret_pendant_le_balayage() {
        charger();
        chercher(u"*.txt"_s); // arbre fait
        QTimer::singleShot(0, f.get(), [this] { f->Arret_Click(); });
        QVERIFY(chercher(u"*.txt"_s, QString(), false).isEmpty());
        QVERIFY(!f->résultats_recherche);
    }

    // Caché par son nom ou par son attribut : trouvé seulement quand les
    // listes montrent les cachés.
    void caches_seulement_si_montres() {
        charger();
        c->creer_fichier(u"doc/.cache.txt"_s, "h");
        const QByteArray marque = QFile::encodeName(c->creer_fichier(u"doc/marque.txt"_s, "m"));
        const bool attribut = ::setxattr(marque.constData(), "user.DOSATTRIB", "2", 1, 0) == 0;
        QCOMPARE(chercher(u"*.txt"_s).size(), attribut ? 3 : 4);
        f->Fichier_srce->setHidden(true);
        const QStringList tous = chercher(u"*.txt"_s);
        QVERIFY(tous.contains(montre_c(u"doc/.cache.txt"_s)));
        QVERIFY(tous.contains(montre_c(u"doc/marque.txt"_s)));
    }

    // Un fichier plus profond que la longueur maximale d'un chemin (4 096
    // octets) est trouvé, et son attribut caché lu, comme un autre.
    void au_dela_de_la_longueur_maximale_d_un_chemin() {
        charger();
        const QString haut = c->hote(u"profond"_s);
        // QDir ne sait pas effacer au-delà de la longueur maximale ; rm, si.
        struct Effacer {
            QString chemin;
            ~Effacer() { QProcess::execute(u"rm"_s, {u"-rf"_s, chemin}); }
        } const effacer{haut};
        const QByteArray nom(200, 'p');
        QVERIFY(QDir().mkpath(haut));
        int fd = ::open(QFile::encodeName(haut).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QString relatif = u"profond"_s;
        for (int i = 0; i < 25 && fd >= 0; ++i) {
            ::mkdirat(fd, nom.constData(), 0755);
            const int dedans = ::openat(fd, nom.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = dedans;
            relatif += u'/' + QString::fromLatin1(nom);
        }
        QVERIFY(fd >= 0);
        for (const char* fichier : {"fond.txt", "cache.txt"})
            ::close(::openat(fd, fichier, O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        const int cache = ::openat(fd, "cache.txt", O_RDONLY | O_CLOEXEC);
        const bool attribut = ::fsetxattr(cache, "user.DOSATTRIB", "2", 1, 0) == 0;
        ::close(cache);
        ::close(fd);
        const QStringList trouves = chercher(u"*.txt"_s);
        QVERIFY(trouves.contains(montre_c(relatif + u"/fond.txt"_s)));
        QCOMPARE(trouves.contains(montre_c(relatif + u"/cache.txt"_s)), !attribut);
    }

    // Un lien vers un répertoire parent ne fait pas boucler ; un répertoire
    // illisible est sauté sans message.
    void liens_et_repertoires_illisibles() {
        charger();
        QVERIFY(::symlink(QFile::encodeName(c->hote(u"doc"_s)).constData(),
                          QFile::encodeName(c->hote(u"doc/sous/boucle"_s)).constData()) == 0);
        QVERIFY(::symlink("c.txt",
                          QFile::encodeName(c->hote(u"doc/sous/lien.txt"_s)).constData()) == 0);
        QVERIFY(::symlink("absent", QFile::encodeName(c->hote(u"doc/mort.txt"_s)).constData()) ==
                0);
        c->creer_fichier(u"ferme/f.txt"_s, "f");
        QFile::setPermissions(c->hote(u"ferme"_s), QFileDevice::Permissions());
        const QStringList trouves = chercher(u"*.txt"_s);
        QFile::setPermissions(c->hote(u"ferme"_s), QFileDevice::ReadOwner |
                                                       QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner);
        QVERIFY(trouves.contains(montre_c(u"doc/sous/lien.txt"_s)));
        QVERIFY(!trouves.contains(montre_c(u"doc/mort.txt"_s)));
        QCOMPARE(trouves.count(montre_c(u"doc/a.txt"_s)), 1);
        if (::geteuid() != 0)
            QVERIFY(!trouves.contains(montre_c(u"ferme/f.txt"_s)));
        QVERIFY(d->questions().isEmpty());
    }

    // ------------------------------------------------- remise aux commandes

    // Trois résultats choisis sur dix : Fichier_sél les reçoit, tous choisis,
    // et EFFACER n'agit que sur eux.
    void trois_sur_dix_puis_effacer() {
        for (int i = 0; i < 10; ++i)
            c->creer_fichier(u"r%1/f%1.txt"_s.arg(i), QByteArray(i + 1, 'x'));
        c->creer_fichier(u"doc/garde.txt"_s, "g");
        ouvrir();
        cde->Fichiers_cherchés->setText(u"f*.txt"_s);
        cde->Fichiers_exclus->clear();
        quand(
            f.get(), [this] { return cde->isVisible(); }, [this] { cde->OK_Click(); });
        quand(
            f.get(), [this] { return f->résultats_recherche && res->Liste_sél->count() == 10; },
            [this] {
                for (int i : {1, 4, 8})
                    res->Liste_sél->item(i)->setSelected(true);
                res->OK_Click();
            });
        f->Chercher_Click();
        const QStringList choisis{montre_c(u"r1/f1.txt"_s), montre_c(u"r4/f4.txt"_s),
                                  montre_c(u"r8/f8.txt"_s)};
        QCOMPARE(f->Fichier_sél->count(), 3);
        QCOMPARE(f->Fichier_sél->selectedItems().size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f->Fichier_sél->item(i)->text(), choisis[i]);
        QCOMPARE(ecarts_de_chemin(f->Fichier_sél), QStringList());
        QVERIFY(!f->Fichier_sél->isHidden());
        EtatCommande& e = etat_commande();
        QVERIFY(e.mode_recherche);
        QCOMPARE(e.liste_parcourue, f->Fichier_sél);
        QVERIFY(!e.commande_en_cours);
        QVERIFY(e.commande_courante.isEmpty());
        QVERIFY(f->Croiser->isEnabled() && !f->Croiser->isHidden());
        QVERIFY(!f->résultats_recherche);
        QVERIFY(f->Ligne_message->text().startsWith(u"   3 fichiers sélectionnés"_s));
        QCOMPARE(f->taille_sélectionnée, 2 + 5 + 9); // recompté d'après les fichiers

        d->repondre(2); // GLOBAL
        f->Effacer_Click();
        for (int i = 0; i < 10; ++i) {
            const bool choisi = i == 1 || i == 4 || i == 8;
            QCOMPARE(QFileInfo::exists(c->hote(u"r%1/f%1.txt"_s.arg(i))), !choisi);
        }
        QVERIFY(QFileInfo::exists(c->hote(u"doc/garde.txt"_s)));
        QVERIFY(!e.mode_recherche); // la commande finie, retour à l'affichage normal
        QVERIFY(f->Fichier_sél->isHidden());
    }

    // La ligne d'état compte les tailles vues par la recherche, chacune avec
    // sa ligne (un trouvé profond, vu en dernier, est rangé en tête). La
    // seconde recherche revoit le disque : un fichier renommé, un autre
    // grossi, un troisième caché depuis la première, un lien compté pour la
    // taille de sa cible.
    void tailles_comptees_apres_changements_entre_deux_recherches() {
        for (int i = 0; i < 4; ++i)
            c->creer_fichier(u"r%1/f%1.txt"_s.arg(i), QByteArray(10 * (i + 1), 'x'));
        c->creer_fichier(u"a/b/f0.txt"_s, "abc");
        c->creer_fichier(u"r2/x.dat"_s, QByteArray(7, 'x'));
        ouvrir();
        // Lignes choisies ('premiere_et_derniere' : ces deux seules, sinon toutes).
        const auto chercher_f = [this](bool premiere_et_derniere) {
            cde->Fichiers_cherchés->setText(u"f*.txt"_s);
            cde->Fichiers_exclus->clear();
            quand(
                f.get(), [this] { return cde->isVisible(); }, [this] { cde->OK_Click(); });
            quand(
                f.get(), [this] { return f->résultats_recherche && !res->Ok->isHidden(); },
                [this, premiere_et_derniere] {
                    QListWidget* l = res->Liste_sél;
                    if (premiere_et_derniere) {
                        l->item(0)->setSelected(true);
                        l->item(l->count() - 1)->setSelected(true);
                    } else {
                        l->selectAll();
                    }
                    res->OK_Click();
                });
            f->Chercher_Click();
            QStringList lignes;
            for (int i = 0; i < f->Fichier_sél->count(); ++i)
                lignes << f->Fichier_sél->item(i)->text();
            return lignes;
        };
        QCOMPARE(chercher_f(false).size(), 5);
        QCOMPARE(f->Ligne_message->text(), u"   5 fichiers sélectionnés, total = 103 octets."_s);
        QCOMPARE(chercher_f(true),
                 (QStringList{montre_c(u"a/b/f0.txt"_s), montre_c(u"r3/f3.txt"_s)}));
        QCOMPARE(f->taille_sélectionnée, 3 + 40);

        QVERIFY(QFile::rename(c->hote(u"r1/f1.txt"_s), c->hote(u"r1/g1.txt"_s)));
        QVERIFY(QFile::rename(c->hote(u"r2/x.dat"_s), c->hote(u"r2/f9.txt"_s)));
        c->creer_fichier(u"r3/f3.txt"_s, QByteArray(1000, 'y'));
        const QByteArray cache = QFile::encodeName(c->hote(u"r0/f0.txt"_s));
        const bool attribut = ::setxattr(cache.constData(), "user.DOSATTRIB", "2", 1, 0) == 0;
        QVERIFY(::symlink("f9.txt", QFile::encodeName(c->hote(u"r2/flien.txt"_s)).constData()) ==
                0);
        QStringList attendus{montre_c(u"a/b/f0.txt"_s), montre_c(u"r2/f2.txt"_s),
                             montre_c(u"r2/f9.txt"_s), montre_c(u"r2/flien.txt"_s),
                             montre_c(u"r3/f3.txt"_s)};
        if (!attribut)
            attendus.insert(1, montre_c(u"r0/f0.txt"_s));
        QCOMPARE(chercher_f(false), attendus);
        const qint64 total = 3 + 30 + 7 + 7 + 1000 + (attribut ? 0 : 10);
        QCOMPARE(f->taille_sélectionnée, total);
        QCOMPARE(f->nombre_sélectionnés, int(attendus.size()));
        QVERIFY(f->Ligne_message->text().endsWith(
            u"total = "_s + plateforme::format_milliers(total) + u" octets."_s));
        chercher_f(true);
        QCOMPARE(f->taille_sélectionnée, 3 + 1000);
    }

    // Annuler la recherche ne laisse pas de demande d'arrêt, qui couperait
    // la commande suivante.
    void annuler_ne_laisse_pas_d_arret() {
        charger();
        quand(
            f.get(), [this] { return cde->isVisible(); },
            [this] {
                cde->Fichiers_cherchés->setText(u"*.txt"_s);
                cde->OK_Click();
            });
        quand(
            f.get(), [this] { return f->résultats_recherche; }, [this] { res->Annule_Click(); });
        f->Chercher_Click();
        EtatCommande& e = etat_commande();
        QVERIFY(!e.demande_d_arrêt);
        QVERIFY(!e.mode_recherche);
        QCOMPARE(e.liste_parcourue, static_cast<QListWidget*>(f->Fichier_srce));
        QVERIFY(!e.commande_en_cours);
        QVERIFY(f->Fichier_sél->isHidden());
    }

    // Une seconde CHERCHER montre les textes précédents, le cherché sélectionné.
    void champs_gardes() {
        charger();
        quand(
            f.get(), [this] { return cde->isVisible(); },
            [this] {
                cde->Fichiers_cherchés->setText(u"bat"_s);
                cde->Fichiers_exclus->setText(u"x"_s);
                cde->Annule_Click();
            });
        f->Chercher_Click();
        QString selection;
        quand(
            f.get(), [this] { return cde->isVisible(); },
            [&] {
                selection = cde->Fichiers_cherchés->selectedText();
                cde->Annule_Click();
            });
        f->Chercher_Click();
        QVERIFY(etat_commande().commande_courante.isEmpty());
        QCOMPARE(selection, u"bat"_s);
        QCOMPARE(cde->Fichiers_exclus->text(), u"x"_s);
        QCOMPARE(cde->Label_Message->text(),
                 u"Entrez le modèle ou le type de fichiers à rechercher sur C:"_s);
    }

    // Les textes d'aide s'attachent aux contrôles nommés comme les pages d'aide.
    void aide_contextuelle() {
        charger();
        const QString cherche = aide::texte_de(cde->findChild<QWidget*>(u"Fichiers_cherchés"_s));
        QVERIFY(cherche.startsWith(u"  Ce champ permet de saisir le modèle ou le type de fichiers "
                                   "recherchés."_s));
        QVERIFY(cherche.endsWith(u"'ms*.*'."_s + CR +
                                 u"Pour rechercher des fichiers sans extension, saisissez par "
                                 "exemple '*.' ou plus simplement '.'"_s));
        QVERIFY(aide::texte_de(cde->findChild<QWidget*>(u"Fichiers_exclus"_s))
                    .endsWith(u"pour l'utilisation des caractères génériques."_s));
        const QString liste = aide::texte_de(res->findChild<QWidget*>(u"Liste_sél"_s));
        QVERIFY(liste.endsWith(u"pour lui(leur) appliquer une commande. La première recherche "
                               "sera plus longue que les suivantes pour mémoriser "
                               "l'arborescence du disque courant."_s));
        QVERIFY(aide::texte_de(cde->Ok).isEmpty());
    }
};

QTEST_MAIN(TestChercher)
#include "test_chercher.moc"
