// KALDRON piloté de bout en bout : vrai programme, vrai serveur X, vraies
// touches et vrais clics ; chaque scénario juge le disque et l'écran.
#include "pilote.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;
using e2e::Arbre;
using e2e::Controle;
using e2e::Fenetre;
using e2e::Pilote;

namespace {

const QString k_principale = u"Gestion_Fichiers"_s;

// "total = 3 500 octets." -> 3500, quel que soit le séparateur des milliers.
qint64 total_affiche(const QString& ligne) {
    static const QRegularExpression total(u"total = ([0-9][^a-z]*) octets"_s);
    const auto m = total.match(ligne);
    QString chiffres = m.captured(1);
    chiffres.remove(QRegularExpression(u"[^0-9]"_s));
    return m.hasMatch() ? chiffres.toLongLong() : -1;
}

// Fenêtre modale (boîte de message, dialogue maison, Corbeille...) dont les
// textes contiennent 'fragment'.
Fenetre boite(const Arbre& a, const QString& fragment = {}) {
    for (const Fenetre& f : a.fenetres()) {
        if (f.modale() && f.nom() != k_principale && f.textes().contains(fragment))
            return f;
    }
    return {};
}

QByteArray octets_varies(int taille) {
    QByteArray b(taille, '\0');
    for (int i = 0; i < taille; ++i)
        b[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return b;
}

// Cadre de MORVINE : la fenêtre principale multi-documents.
Fenetre cadre_morvine(const Arbre& a) {
    return a.de_classe(u"QMainWindow"_s);
}

} // namespace

class EssaiKaldron : public QObject {
    Q_OBJECT

    std::unique_ptr<Pilote> m_pilote;
    std::shared_ptr<e2e::Programme> m_kaldron;
    QList<qint64> m_lances_par_kaldron;

    Pilote& p() { return *m_pilote; }
    Arbre arbre() { return m_kaldron->arbre(); }
    Fenetre principale() { return arbre().fenetre(k_principale); }
    Arbre attendre(const std::function<bool(const Arbre&)>& predicat, int delai_ms = 10000) {
        return Pilote::attendre_arbre(*m_kaldron, predicat, delai_ms);
    }
    // Attend une boîte modale dont le texte contient 'fragment'.
    Fenetre attendre_boite(const QString& fragment) {
        return boite(attendre([&](const Arbre& a) { return boite(a, fragment).existe(); }),
                     fragment);
    }

    bool cliquer(const QString& nom, const QString& fenetre = k_principale);
    bool repondre(const QString& fragment, const QString& bouton);
    bool saisir(const QString& champ, const QString& texte, const QString& fenetre = k_principale);
    bool aller(const QString& champ, const QString& chemin_dos);
    bool entree(); // Entrée, puis l'écran se calme
    bool choisir(const QStringList& noms);
    bool ligne_montre(const QStringList& choisis, qint64 total);
    bool au_repos();
    bool capturer(const QString& fenetre, const QString& nom);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void demarrage_accueil_puis_fenetre();
    void seconde_copie_refusee();
    void aide_contextuelle_par_f1();
    void selection_clic_motif_puis_copier();
    void copier_gros_fichier_arrete();
    void deplacer();
    void repertoire_par_menu_puis_glisser_deposer();
    void copier_des_milliers_de_fichiers();
    void effacer_puis_restaurer();
    void chercher_puis_copier_les_trouves();
    void visualiser_texte_et_binaire();
    void visualiser_devant_morvine_muet();
    void clavier_et_menu_du_bouton_droit();
    void quitter();
    void relance_iconisee_dans_le_repertoire_courant();
};

// --- Gestes communs -------------------------------------------------------

bool EssaiKaldron::cliquer(const QString& nom, const QString& fenetre) {
    Controle c;
    attendre([&](const Arbre& x) {
        c = x.fenetre(fenetre).controle(nom);
        return c.existe() && c.actif();
    });
    if (!c.existe() || !c.actif()) {
        qWarning("%s introuvable ou inactif dans %s", qPrintable(nom), qPrintable(fenetre));
        return false;
    }
    return p().cliquer(c);
}

bool EssaiKaldron::repondre(const QString& fragment, const QString& bouton) {
    const Fenetre b = attendre_boite(fragment);
    if (!b.existe()) {
        qWarning("pas de boîte « %s » ; écran :\n%s", qPrintable(fragment),
                 qPrintable(arbre().textes()));
        return false;
    }
    return p().cliquer(b.bouton(bouton));
}

// Remplace le texte d'un champ comme le ferait l'utilisateur.
bool EssaiKaldron::saisir(const QString& champ, const QString& texte, const QString& fenetre) {
    const bool ok = cliquer(champ, fenetre) && p().touche(u"ctrl+a"_s) && p().taper(texte);
    Pilote::attendre_calme(*m_kaldron);
    return ok;
}

bool EssaiKaldron::entree() {
    const bool ok = p().touche(u"Return"_s);
    Pilote::attendre_calme(*m_kaldron);
    return ok;
}

// Chemin tapé dans Chemin_srce ou Chemin_dest puis Entrée : la liste suit.
// Le chemin est tapé avec la casse du disque, que le champ montre ensuite
// (seule la lettre d'unité est en minuscule).
bool EssaiKaldron::aller(const QString& champ, const QString& chemin_dos) {
    if (!saisir(champ, chemin_dos) || !entree())
        return false;
    const QString liste = champ == u"Chemin_srce" ? u"Répertoire_srce"_s : u"Répertoire_dest"_s;
    const QString montre = chemin_dos.left(1).toLower() + chemin_dos.mid(1);
    const Arbre a = attendre([&](const Arbre& x) {
        const Fenetre f = x.fenetre(k_principale);
        return f.controle(champ).texte() == montre &&
               f.controle(liste).elements().join(u'|').contains(chemin_dos.section(u'\\', -1));
    });
    if (a.fenetre(k_principale).controle(champ).texte() == montre)
        return true;
    qWarning("%s ne montre pas %s ; écran :\n%s", qPrintable(champ), qPrintable(chemin_dos),
             qPrintable(a.textes()));
    return false;
}

// Clic sur le premier nom, Ctrl+clic sur les suivants, dans Fichier_srce.
bool EssaiKaldron::choisir(const QStringList& noms) {
    for (int i = 0; i < noms.size(); ++i) {
        const Controle liste = principale().controle(u"Fichier_srce"_s);
        if (!p().cliquer_element(liste, noms[i], i == 0 ? QString() : u"ctrl"_s)) {
            qWarning("clic sur %s : %s", qPrintable(noms[i]), qPrintable(p().journal()));
            return false;
        }
    }
    const Arbre a = attendre([&](const Arbre& x) {
        return x.fenetre(k_principale).controle(u"Fichier_srce"_s).elements_choisis() == noms;
    });
    const QStringList choisis =
        a.fenetre(k_principale).controle(u"Fichier_srce"_s).elements_choisis();
    if (choisis != noms)
        qWarning("choisis : %s", qPrintable(choisis.join(u", "_s)));
    return choisis == noms;
}

// Les commandes ne lisent que la ligne d'état : elle dit le nombre et le
// total des fichiers réellement choisis dans Fichier_srce, qui les a choisis.
bool EssaiKaldron::ligne_montre(const QStringList& choisis, qint64 total) {
    const QString nombre = choisis.size() == 1 ? u"1 fichier sélectionné,"_s
                                               : u"%1 fichiers sélectionnés,"_s.arg(choisis.size());
    const auto juste = [&](const Arbre& x) {
        const Fenetre f = x.fenetre(k_principale);
        const QString ligne = f.controle(u"Ligne_message"_s).texte();
        return f.controle(u"Fichier_srce"_s).elements_choisis() == choisis &&
               ligne.trimmed().startsWith(nombre) && total_affiche(ligne) == total;
    };
    const Arbre a = attendre(juste);
    if (juste(a))
        return true;
    const Fenetre f = a.fenetre(k_principale);
    qWarning("choisis : %s ; ligne : « %s »",
             qPrintable(f.controle(u"Fichier_srce"_s).elements_choisis().join(u", "_s)),
             qPrintable(f.controle(u"Ligne_message"_s).texte()));
    return false;
}

// La commande est finie : plus de boîte, Arret caché, Permuter revenu. Le
// calme d'abord : que le clic qui la lance ait été traité.
bool EssaiKaldron::au_repos() {
    Pilote::attendre_calme(*m_kaldron);
    const Arbre a = attendre([](const Arbre& x) {
        const Fenetre f = x.fenetre(k_principale);
        return !boite(x).existe() && !f.controle(u"Arret"_s).existe() &&
               f.controle(u"Croiser"_s).actif();
    });
    return !boite(a).existe() && !a.fenetre(k_principale).controle(u"Arret"_s).existe();
}

// Les captures du README : une capture manquée est une faute de la suite.
bool EssaiKaldron::capturer(const QString& fenetre, const QString& nom) {
    QString erreur;
    if (!p().capture(*m_kaldron, fenetre, nom, &erreur).isEmpty())
        return true;
    qWarning("capture %s : %s", qPrintable(nom), qPrintable(erreur));
    return false;
}

// --- Mise en place --------------------------------------------------------

void EssaiKaldron::initTestCase() {
    QString raison;
    if (!Pilote::outils_presents(&raison)) {
        if (Pilote::obligatoire())
            QFAIL(qPrintable(raison));
        QSKIP(qPrintable(raison));
    }
    m_pilote = std::make_unique<Pilote>();
    QVERIFY2(p().demarrer(&raison), qPrintable(raison));
    // Corbeille active ; aucune confirmation hors EFFACER.
    p().ecrire_kaldron_ini(u"[Options]\nConfirme=Non\nRemplace=Oui\nRépertoire=Racine\n"
                           "[Corbeille]\nTaille=9999\n"_s);
}

void EssaiKaldron::cleanupTestCase() {
    m_kaldron.reset();
    m_pilote.reset(); // tue tout ce qui a été lancé, même par KALDRON
    for (qint64 pid : std::as_const(m_lances_par_kaldron))
        QVERIFY2(!QFileInfo::exists(u"/proc/%1/exe"_s.arg(pid)) ||
                     QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget().isEmpty(),
                 "un programme lancé par KALDRON survit à l'essai");
}

// --- Scénarios ------------------------------------------------------------

void EssaiKaldron::demarrage_accueil_puis_fenetre() {
    // Un fichier à la racine : la première entrée est choisie au démarrage.
    p().creer_fichier(u"A_LIRE.TXT"_s, QByteArray(12, 'l'));
    QVERIFY(p().lancer(u"kaldron"_s));
    m_kaldron = p().attendre_programme(u"kaldron"_s);
    QVERIFY2(m_kaldron, "la sonde de KALDRON ne répond pas");
    // L'accueil paraît seul ; la fenêtre principale ne se montre qu'une fois
    // chargée, l'accueil fermé, au moins trois secondes plus tard.
    QElapsedTimer depuis_accueil;
    bool ensemble = false, nomme = false;
    const Arbre fin = attendre(
        [&](const Arbre& a) {
            const bool accueil = a.a_fenetre(u"Apropos"_s), fenetre = a.a_fenetre(k_principale);
            if (accueil && !depuis_accueil.isValid()) {
                depuis_accueil.start();
                const QString textes = a.fenetre(u"Apropos"_s).textes();
                nomme = textes.contains(u"KALDRON"_s) &&
                        textes.contains(QRegularExpression(u"version \\d+\\.\\d+"_s));
            }
            ensemble = ensemble || (accueil && fenetre);
            return fenetre;
        },
        20000);
    QVERIFY2(depuis_accueil.isValid(), "l'accueil n'a pas paru");
    QVERIFY(nomme);
    QVERIFY2(!ensemble, "la fenêtre principale a paru avant la fin de l'accueil");
    QVERIFY(depuis_accueil.elapsed() >= 2500);
    const Fenetre f = fin.fenetre(k_principale);
    QVERIFY(f.existe());
    QCOMPARE(f.titre(), u"Gestionnaire de fichiers  (Mode fichier)   "_s);
    QCOMPARE(f.controle(u"Titre_srce"_s).texte(), u"SOURCE"_s);
    QCOMPARE(f.controle(u"Titre_dest"_s).texte(), u"DESTINATION"_s);
    QVERIFY(f.controle(u"Espace_libre"_s).texte().endsWith(u" Ko libres "_s));
    QCOMPARE(f.controle(u"Chemin_srce"_s).texte(), u"c:\\"_s);
    QVERIFY(f.controle(u"Fichier_srce"_s).existe());
    QVERIFY(ligne_montre({u"A_LIRE.TXT"_s}, 12));
    // Au démarrage, l'unité ne reçoit au plus que l'index (vide) de la corbeille
    // et son verrou (vide).
    QStringList racine = p().noms(QString());
    racine.removeOne(u"A_LIRE.TXT"_s);
    for (const QString& nom : {u"KALDRON.CRB"_s, u"KALDRON.VER"_s}) {
        racine.removeOne(nom);
        QVERIFY(!p().existe(nom) || QFileInfo(p().hote(nom)).size() == 0);
    }
    QCOMPARE(racine, QStringList({u"KALDRON"_s}));
}

void EssaiKaldron::seconde_copie_refusee() {
    QVERIFY(m_kaldron);
    QProcess* seconde = p().lancer(u"kaldron"_s);
    QVERIFY(seconde);
    const auto autre = p().attendre_programme(u"kaldron"_s, {m_kaldron->pid()});
    QVERIFY2(autre, "la seconde copie n'a pas de sonde");
    const QString deja = u"Le gestionnaire de fichiers est déjà chargé."_s;
    const Arbre a =
        Pilote::attendre_arbre(*autre, [&](const Arbre& x) { return boite(x, deja).existe(); });
    const Fenetre refus = boite(a, deja);
    QVERIFY2(refus.existe(), qPrintable(a.textes()));
    QVERIFY(!a.a_fenetre(k_principale));
    QVERIFY(p().cliquer(refus.bouton(u"OK"_s)));
    QVERIFY(seconde->waitForFinished(10000));
    QCOMPARE(seconde->exitCode(), 0);
    // La première copie n'a rien vu.
    QVERIFY(principale().existe());
    QVERIFY(!boite(arbre()).existe());
}

void EssaiKaldron::aide_contextuelle_par_f1() {
    const int hauteur = principale().geometrie().height();
    QVERIFY(!principale().controle(u"Fenêtre"_s).existe());
    // Sans gestionnaire de fenêtres, le clavier va où l'on a cliqué.
    QVERIFY(p().cliquer(principale().controle(u"Ligne_message"_s)));
    QVERIFY(p().touche(u"F1"_s));
    Arbre a = attendre([](const Arbre& x) { return x.controle(u"Fenêtre"_s).existe(); });
    QVERIFY(a.controle(u"Fenêtre"_s)
                .texte()
                .startsWith(u"  Vous avez activé l'aide du gestionnaire de fichiers"_s));
    QVERIFY(a.fenetre(k_principale).geometrie().height() > hauteur);
    QVERIFY(p().survoler(a.controle(u"Copier"_s)));
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fenêtre"_s)
            .texte()
            .startsWith(u"  Ces boutons exécutent les commandes"_s);
    });
    QCOMPARE(a.controle(u"Fenêtre"_s).texte(),
             u"  Ces boutons exécutent les commandes indiquées sur ceux-ci avec une demande "
             "préalable de confirmation si elle est paramètrée dans les options."_s);
    QVERIFY(capturer(k_principale, u"aide_contextuelle"_s));
    QVERIFY(p().touche(u"F1"_s));
    a = attendre([](const Arbre& x) { return !x.controle(u"Fenêtre"_s).existe(); });
    QVERIFY(!a.controle(u"Fenêtre"_s).existe());
    QCOMPARE(a.fenetre(k_principale).geometrie().height(), hauteur);

    // Un nom trop long pour la liste a sa bulle ; un vrai double clic sur
    // elle vaut un double clic sur le nom (ici, la question d'un lot).
    const QString lot = u"un_lot_de_commandes_au_nom_bien_trop_long_pour_la_liste.bat"_s;
    p().creer_fichier(u"BULLE/"_s + lot, "@echo off\r\n");
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\BULLE"_s));
    const auto zone = principale().controle(u"Fichier_srce"_s).zone_element(lot);
    QVERIFY2(zone, qPrintable(principale().controle(u"Fichier_srce"_s).elements().join(u'|')));
    QVERIFY(p().survoler_en({zone->left() + 12, zone->center().y()}));
    a = attendre([&](const Arbre& x) { return x.controle(u"Tip"_s).texte() == lot; });
    const Controle bulle = a.controle(u"Tip"_s);
    QVERIFY2(bulle.texte() == lot, qPrintable(a.textes()));
    QVERIFY(p().double_cliquer(bulle));
    QVERIFY(
        repondre(u"Voulez-vous EDITER ou EXECUTER le fichier '"_s + lot + u"' ?"_s, u"ANNULER"_s));
    QVERIFY(au_repos());
}

void EssaiKaldron::selection_clic_motif_puis_copier() {
    p().creer_fichier(u"SELECT/A.TXT"_s, QByteArray(1000, 'a'));
    p().creer_fichier(u"SELECT/B.TXT"_s, octets_varies(2000));
    p().creer_fichier(u"SELECT/C.DAT"_s, QByteArray(500, 'c'));
    p().creer_repertoire(u"SEL_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\SEL_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\SELECT"_s));
    QCOMPARE(principale().controle(u"Fichier_srce"_s).elements(),
             QStringList({u"A.TXT"_s, u"B.TXT"_s, u"C.DAT"_s}));
    // Un clic dans un champ de chemin y choisit tout le texte ; un second clic,
    // ailleurs dans le champ, y pose le curseur pour corriger.
    const Controle chemin_dest = principale().controle(u"Chemin_dest"_s);
    QVERIFY(p().cliquer(chemin_dest));
    Arbre a = attendre([](const Arbre& x) {
        const Controle c = x.controle(u"Chemin_dest"_s);
        return c.focus() && c.texte_choisi() == u"c:\\SEL_DEST";
    });
    QCOMPARE(a.controle(u"Chemin_dest"_s).texte_choisi(), u"c:\\SEL_DEST"_s);
    QVERIFY(p().cliquer_en(chemin_dest.geometrie().topLeft() +
                           QPoint(4, chemin_dest.geometrie().height() / 2)));
    a = attendre([](const Arbre& x) {
        const Controle c = x.controle(u"Chemin_dest"_s);
        return c.focus() && c.texte_choisi().isEmpty();
    });
    QVERIFY(a.controle(u"Chemin_dest"_s).texte_choisi().isEmpty());
    // Le chemin tapé choisit la première entrée ; glisser la souris sur deux
    // fichiers les choisit tous deux, qu'elle soit relâchée sur le second ou
    // plus bas, hors de la liste des noms.
    QVERIFY(ligne_montre({u"A.TXT"_s}, 1000));
    const Controle liste = principale().controle(u"Fichier_srce"_s);
    QVERIFY(p().glisser_elements(liste, u"A.TXT"_s, u"B.TXT"_s));
    QVERIFY(ligne_montre({u"A.TXT"_s, u"B.TXT"_s}, 3000));
    const int rangee = liste.zone_element(u"C.DAT"_s).value_or(QRect()).height();
    QVERIFY(p().glisser_elements(liste, u"B.TXT"_s, u"C.DAT"_s, QPoint(0, 2 * rangee)));
    QVERIFY(ligne_montre({u"B.TXT"_s, u"C.DAT"_s}, 2500));

    // Un clic : singulier ; Ctrl+clic : pluriel et total des deux.
    QVERIFY(choisir({u"A.TXT"_s}));
    a = attendre([](const Arbre& x) {
        return x.controle(u"Ligne_message"_s).texte().contains(u"1 fichier sélectionné,"_s);
    });
    QCOMPARE(total_affiche(a.controle(u"Ligne_message"_s).texte()), 1000);
    QVERIFY(choisir({u"A.TXT"_s, u"C.DAT"_s}));
    a = attendre([](const Arbre& x) {
        return x.controle(u"Ligne_message"_s).texte().contains(u"2 fichiers sélectionnés,"_s);
    });
    QCOMPARE(total_affiche(a.controle(u"Ligne_message"_s).texte()), 1500);

    // Le motif filtre les deux listes ; "Sélectionner tout" prend tout ce qui reste.
    QVERIFY(saisir(u"Sélection_fichiers"_s, u"*.txt"_s));
    QVERIFY(entree());
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_srce"_s).elements() == QStringList({u"A.TXT"_s, u"B.TXT"_s});
    });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), QStringList({u"A.TXT"_s, u"B.TXT"_s}));
    QVERIFY(cliquer(u"Sélecte"_s));
    a = attendre([](const Arbre& x) {
        return total_affiche(x.controle(u"Ligne_message"_s).texte()) == 3000;
    });
    QVERIFY2(a.controle(u"Ligne_message"_s).texte().contains(u"2 fichiers sélectionnés,"_s),
             qPrintable(a.fenetre(k_principale).textes()));
    QCOMPARE(total_affiche(a.controle(u"Ligne_message"_s).texte()), 3000);
    QCOMPARE(a.controle(u"Sélecte"_s).texte(), u"Sélectionner un"_s);
    QVERIFY(capturer(k_principale, u"fenetre_principale"_s));

    QVERIFY(cliquer(u"Copier"_s));
    QVERIFY(au_repos());
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_dest"_s).elements() == QStringList({u"A.TXT"_s, u"B.TXT"_s});
    });
    QCOMPARE(a.controle(u"Fichier_dest"_s).elements(), QStringList({u"A.TXT"_s, u"B.TXT"_s}));
    QCOMPARE(p().noms(u"SEL_DEST"_s), QStringList({u"A.TXT"_s, u"B.TXT"_s}));
    QCOMPARE(p().contenu(u"SEL_DEST/A.TXT"_s), QByteArray(1000, 'a'));
    QCOMPARE(p().contenu(u"SEL_DEST/B.TXT"_s), octets_varies(2000));
    QCOMPARE(p().noms(u"SELECT"_s).size(), 3);

    // Le motif revient à *.* pour les scénarios suivants.
    QVERIFY(saisir(u"Sélection_fichiers"_s, u"*.*"_s));
    QVERIFY(entree());
    a = attendre(
        [](const Arbre& x) { return x.controle(u"Fichier_srce"_s).elements().size() == 3; });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements().size(), 3);

    // Deux noms qui ne diffèrent que par la casse sont deux lignes ; celle
    // qu'on choisit est celle qui est copiée, nom accentué compris.
    const QString facture = u"Facture Décembre.txt"_s;
    p().creer_fichier(u"CASSE/README"_s, "capitales");
    p().creer_fichier(u"CASSE/readme"_s, "minuscules");
    p().creer_fichier(u"CASSE/"_s + facture, "facture");
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\CASSE"_s));
    const QStringList casse{facture, u"README"_s, u"readme"_s};
    a = attendre([&](const Arbre& x) { return x.controle(u"Fichier_srce"_s).elements() == casse; });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), casse);
    QVERIFY(choisir({facture, u"readme"_s}));
    QVERIFY(ligne_montre({facture, u"readme"_s}, 17));
    QVERIFY(cliquer(u"Copier"_s));
    QVERIFY(au_repos());
    const QStringList copies{u"A.TXT"_s, u"B.TXT"_s, facture, u"readme"_s};
    a = attendre(
        [&](const Arbre& x) { return x.controle(u"Fichier_dest"_s).elements() == copies; });
    QCOMPARE(a.controle(u"Fichier_dest"_s).elements(), copies);
    QCOMPARE(p().noms(u"SEL_DEST"_s), QStringList({u"A.TXT"_s, u"B.TXT"_s, facture, u"readme"_s}));
    QCOMPARE(p().contenu(u"SEL_DEST/readme"_s), QByteArray("minuscules"));
    QCOMPARE(p().contenu(u"SEL_DEST/"_s + facture), QByteArray("facture"));
    QCOMPARE(p().noms(u"CASSE"_s), casse);
}

void EssaiKaldron::copier_gros_fichier_arrete() {
    // Fichier creux : vite créé, assez long (4 Gio) pour que la copie dure
    // même sur une machine rapide ; l'arrêt vient bien avant la fin.
    const qint64 taille = qint64(4) << 30;
    const QString gros = p().creer_fichier(u"GROS/GROS.BIN"_s, "debut");
    QVERIFY(QFile::resize(gros, taille));
    p().creer_repertoire(u"GROS_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\GROS_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\GROS"_s));
    QVERIFY(choisir({u"GROS.BIN"_s}));

    QVERIFY(cliquer(u"Copier"_s));
    // La jauge avance, la légende nomme le fichier, Arret remplace Permuter.
    Arbre a = attendre([](const Arbre& x) {
        const Controle j = x.controle(u"Jauge"_s);
        return j.existe() && j.valeur() >= 1 && x.controle(u"Arret"_s).existe();
    });
    const Controle jauge = a.controle(u"Jauge"_s);
    QVERIFY2(jauge.existe(), "la jauge n'a pas paru");
    QVERIFY(jauge.valeur() >= 1 && jauge.valeur() < 100);
    QCOMPARE(a.controle(u"En_cours"_s).texte(), u" COPIE le fichier GROS.BIN "_s);
    QVERIFY(!a.controle(u"Croiser"_s).existe());
    QVERIFY(p().cliquer(a.controle(u"Arret"_s)));
    QVERIFY(au_repos());
    a = arbre();
    QVERIFY(!a.controle(u"Jauge"_s).existe());
    QVERIFY(!a.controle(u"En_cours"_s).existe());
    // Rien de la copie interrompue ne reste, pas même un provisoire caché.
    QCOMPARE(p().noms(u"GROS_DEST"_s), QStringList());
    QCOMPARE(QFileInfo(gros).size(), taille);
    QVERIFY(QFile::remove(gros));
}

// Après la copie arrêtée du scénario précédent : l'Annuler qu'elle a laissé
// ne doit pas couper le déplacement après le premier fichier.
void EssaiKaldron::deplacer() {
    p().creer_fichier(u"DEPL/M1.TXT"_s, "premier");
    p().creer_fichier(u"DEPL/M2.TXT"_s, octets_varies(40000));
    p().creer_fichier(u"DEPL/RESTE.TXT"_s, "reste");
    p().creer_repertoire(u"DEPL_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\DEPL_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\DEPL"_s));
    QVERIFY(choisir({u"M1.TXT"_s, u"M2.TXT"_s}));
    QVERIFY(cliquer(u"Déplacer"_s));
    QVERIFY(au_repos());
    const Arbre a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_srce"_s).elements() == QStringList({u"RESTE.TXT"_s});
    });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), QStringList({u"RESTE.TXT"_s}));
    QCOMPARE(a.controle(u"Fichier_dest"_s).elements(), QStringList({u"M1.TXT"_s, u"M2.TXT"_s}));
    // Le fichier resté est choisi : la ligne le compte seul, pas les deux déplacés.
    QVERIFY(ligne_montre({u"RESTE.TXT"_s}, 5));
    QCOMPARE(p().noms(u"DEPL"_s), QStringList({u"RESTE.TXT"_s}));
    QCOMPARE(p().noms(u"DEPL_DEST"_s), QStringList({u"M1.TXT"_s, u"M2.TXT"_s}));
    QCOMPARE(p().contenu(u"DEPL_DEST/M1.TXT"_s), QByteArray("premier"));
    QCOMPARE(p().contenu(u"DEPL_DEST/M2.TXT"_s), octets_varies(40000));
}

// Un vrai clic droit sur un répertoire de la liste SOURCE, son menu, puis
// un vrai glisser de fichiers sur le cadre DESTINATION (Maj : déplacés).
void EssaiKaldron::repertoire_par_menu_puis_glisser_deposer() {
    p().creer_fichier(u"DOSS/ARBRE/A.TXT"_s, octets_varies(40000));
    p().creer_fichier(u"DOSS/ARBRE/SOUS/B.TXT"_s, "bbbb");
    p().creer_fichier(u"DOSS/G1.TXT"_s, "glisse");
    p().creer_fichier(u"DOSS/G2.TXT"_s, "maj");
    p().creer_fichier(u"DOSS/G3.TXT"_s, "trois");
    p().creer_fichier(u"DOSS/G4.TXT"_s, "quatre");
    p().creer_repertoire(u"DOSS_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\DOSS_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\DOSS"_s));
    const Controle liste = principale().controle(u"Répertoire_srce"_s);
    QString entree; // montrée en retrait sous son parent
    for (const QString& e : liste.elements())
        if (e.trimmed() == u"ARBRE"_s)
            entree = e;
    const auto zone = liste.zone_element(entree);
    QVERIFY2(zone, qPrintable(liste.elements().join(u", "_s)));
    QVERIFY(p().cliquer_en(zone->center(), 3));
    const Arbre a = attendre([](const Arbre& x) { return x.a_fenetre(u"Menu_contextuel"_s); });
    const Fenetre menu = a.fenetre(u"Menu_contextuel"_s);
    QVERIFY2(menu.existe(), qPrintable(a.textes()));
    QVERIFY(p().cliquer_element(menu, u"Copier le répertoire dans 'DESTINATION'"_s));
    QVERIFY(au_repos());
    QCOMPARE(p().noms(u"DOSS_DEST/ARBRE"_s), QStringList({u"A.TXT"_s, u"SOUS"_s}));
    QCOMPARE(p().contenu(u"DOSS_DEST/ARBRE/A.TXT"_s), octets_varies(40000));
    QCOMPARE(p().contenu(u"DOSS_DEST/ARBRE/SOUS/B.TXT"_s), QByteArray("bbbb"));
    QCOMPARE(p().noms(u"DOSS/ARBRE"_s), QStringList({u"A.TXT"_s, u"SOUS"_s}));
    attendre([](const Arbre& x) {
        return x.controle(u"Répertoire_dest"_s).elements().join(u'|').contains(u"ARBRE"_s);
    });
    QVERIFY(arbre().controle(u"Répertoire_dest"_s).elements().join(u'|').contains(u"ARBRE"_s));

    // Glissé sur la liste DESTINATION : copié ; avec Maj : déplacé. Tout
    // droit vers la droite : en passant sur G2.TXT, la souris l'ajouterait
    // à la sélection (glisser dans la liste choisit une plage).
    const auto glisser = [&](const QString& nom, const QString& modificateur) {
        const Fenetre f = principale();
        const Controle srce = f.controle(u"Fichier_srce"_s);
        const auto depart = srce.zone_element(nom);
        return depart && p().glisser_vers(depart->center(),
                                          QPoint(f.controle(u"Fichier_dest"_s).centre().x(),
                                                 depart->center().y()),
                                          modificateur);
    };
    QVERIFY(choisir({u"G1.TXT"_s}));
    QVERIFY(glisser(u"G1.TXT"_s, {}));
    QVERIFY(au_repos());
    QVERIFY(Pilote::attendre([&] { return p().existe(u"DOSS_DEST/G1.TXT"_s); }));
    QCOMPARE(p().contenu(u"DOSS_DEST/G1.TXT"_s), QByteArray("glisse"));
    QVERIFY(p().existe(u"DOSS/G1.TXT"_s));
    QVERIFY(choisir({u"G2.TXT"_s}));
    QVERIFY(glisser(u"G2.TXT"_s, u"shift"_s));
    QVERIFY(au_repos());
    QVERIFY(Pilote::attendre([&] { return !p().existe(u"DOSS/G2.TXT"_s); }));
    QCOMPARE(p().contenu(u"DOSS_DEST/G2.TXT"_s), QByteArray("maj"));
    // Une sélection multiple part entière, tirée depuis l'un de ses fichiers.
    QVERIFY(choisir({u"G3.TXT"_s, u"G4.TXT"_s}));
    QVERIFY(glisser(u"G4.TXT"_s, {}));
    QVERIFY(au_repos());
    QVERIFY(Pilote::attendre([&] { return p().existe(u"DOSS_DEST/G3.TXT"_s); }));
    QCOMPARE(p().contenu(u"DOSS_DEST/G3.TXT"_s), QByteArray("trois"));
    QCOMPARE(p().contenu(u"DOSS_DEST/G4.TXT"_s), QByteArray("quatre"));
    QCOMPARE(p().noms(u"DOSS"_s), QStringList({u"ARBRE"_s, u"G1.TXT"_s, u"G3.TXT"_s, u"G4.TXT"_s}));
}

// Trois mille fichiers choisis d'un coup et copiés par le bouton : la
// fenêtre revient au repos, chaque fichier est entier sur le disque, la
// DESTINATION les montre tous et la ligne d'état compte toujours la sélection.
void EssaiKaldron::copier_des_milliers_de_fichiers() {
    constexpr int n = 3000;
    const auto contenu = [](int i) { return u"fichier %1 "_s.arg(i).toUtf8().repeated(1 + i % 7); };
    const auto nom = [](int i) { return u"F%1.DAT"_s.arg(i, 4, 10, QChar(u'0')); };
    qint64 total = 0;
    for (int i = 0; i < n; ++i) {
        p().creer_fichier(u"MILLE/"_s + nom(i), contenu(i));
        total += contenu(i).size();
    }
    p().creer_repertoire(u"MILLE_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\MILLE_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\MILLE"_s));
    QVERIFY(cliquer(u"Sélecte"_s));
    const QString compte = u"%1 fichiers sélectionnés,"_s.arg(n);
    const auto ligne_juste = [&](const Arbre& x) {
        const QString ligne = x.controle(u"Ligne_message"_s).texte();
        return ligne.contains(compte) && total_affiche(ligne) == total;
    };
    Arbre a = attendre(ligne_juste);
    QVERIFY2(ligne_juste(a), qPrintable(a.controle(u"Ligne_message"_s).texte()));
    QVERIFY(cliquer(u"Copier"_s));
    // La fin : Arret parti, Permuter revenu, la liste DESTINATION complète.
    a = attendre(
        [&](const Arbre& x) {
            return !x.controle(u"Arret"_s).existe() && x.controle(u"Croiser"_s).actif() &&
                   x.controle(u"Fichier_dest"_s).nombre_elements() == n;
        },
        180000);
    QCOMPARE(a.controle(u"Fichier_dest"_s).nombre_elements(), n);
    QVERIFY(au_repos());
    QCOMPARE(p().noms(u"MILLE_DEST"_s).size(), n);
    for (int i = 0; i < n; ++i)
        QCOMPARE(p().contenu(u"MILLE_DEST/"_s + nom(i)), contenu(i));
    a = arbre();
    QVERIFY2(ligne_juste(a), qPrintable(a.controle(u"Ligne_message"_s).texte()));
    // La sonde ne décrit que les premières lignes : elles sont dans l'ordre.
    const QStringList montres = a.controle(u"Fichier_dest"_s).elements();
    for (int i = 0; i < montres.size(); ++i)
        QCOMPARE(montres.at(i), nom(i));
    // La sélection globale cesse pour les scénarios suivants.
    QVERIFY(cliquer(u"Sélecte"_s));
    a = attendre(
        [](const Arbre& x) { return x.controle(u"Sélecte"_s).texte() == u"Sélectionner tout"; });
    QCOMPARE(a.controle(u"Sélecte"_s).texte(), u"Sélectionner tout"_s);
}

void EssaiKaldron::effacer_puis_restaurer() {
    p().creer_fichier(u"EFF/E1.TXT"_s, "un");
    p().creer_fichier(u"EFF/E2.TXT"_s, "deux");
    p().creer_fichier(u"EFF/GARDE.TXT"_s, "garde");
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\EFF"_s));
    QVERIFY(choisir({u"E1.TXT"_s, u"E2.TXT"_s}));

    // Deux fichiers : le dialogue maison propose SELECTIF / GLOBAL / ANNULER.
    QVERIFY(cliquer(u"Effacer"_s));
    QVERIFY(repondre(u"Voulez-vous EFFACER sélectivement ou globalement"_s, u"GLOBAL"_s));
    QVERIFY(au_repos());
    Arbre a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_srce"_s).elements() == QStringList({u"GARDE.TXT"_s});
    });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), QStringList({u"GARDE.TXT"_s}));
    QVERIFY(ligne_montre({u"GARDE.TXT"_s}, 5));
    // Sur le disque : les deux sont gardés sous des noms cachés, l'index les note.
    QStringList restes = p().noms(u"EFF"_s);
    QCOMPARE(restes.size(), 3);
    QVERIFY(!restes.contains(u"E1.TXT"_s) && !restes.contains(u"E2.TXT"_s));
    QVERIFY(p().existe(u"KALDRON.CRB"_s));

    QVERIFY(cliquer(u"Corbeill"_s));
    a = attendre([](const Arbre& x) {
        return x.fenetre(u"Corbeille"_s).controle(u"Fichier_effacé"_s).nombre_elements() == 2;
    });
    const Controle liste = a.fenetre(u"Corbeille"_s).controle(u"Fichier_effacé"_s);
    QCOMPARE(liste.elements().join(u'|').toUpper(), u"C:\\EFF\\E1.TXT|C:\\EFF\\E2.TXT"_s);
    QVERIFY(!a.fenetre(u"Corbeille"_s).controle(u"Récupérer"_s).actif());
    QVERIFY(capturer(u"Corbeille"_s, u"corbeille"_s));

    QVERIFY(p().cliquer_element(liste, liste.elements().at(0)));
    QVERIFY(cliquer(u"Récupérer"_s, u"Corbeille"_s));
    a = attendre([](const Arbre& x) { return !x.a_fenetre(u"Corbeille"_s); });
    QVERIFY(!a.a_fenetre(u"Corbeille"_s));
    QVERIFY(au_repos());
    a = attendre(
        [](const Arbre& x) { return x.controle(u"Fichier_srce"_s).elements().size() == 2; });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), QStringList({u"E1.TXT"_s, u"GARDE.TXT"_s}));
    QCOMPARE(p().contenu(u"EFF/E1.TXT"_s), QByteArray("un"));
    QVERIFY(!p().existe(u"EFF/E2.TXT"_s));
    // Le second reste dans la corbeille, et la fenêtre le montre seul.
    QVERIFY(cliquer(u"Corbeill"_s));
    a = attendre([](const Arbre& x) { return x.fenetre(u"Corbeille"_s).existe(); });
    QCOMPARE(
        a.fenetre(u"Corbeille"_s).controle(u"Fichier_effacé"_s).elements().join(u'|').toUpper(),
        u"C:\\EFF\\E2.TXT"_s);
    QVERIFY(cliquer(u"Fin"_s, u"Corbeille"_s));
    QVERIFY(au_repos());
    QCOMPARE(p().noms(u"EFF"_s).size(), 3);
}

void EssaiKaldron::chercher_puis_copier_les_trouves() {
    p().creer_fichier(u"CHERCHE/AUTRE.XYZ"_s, "autre");
    p().creer_fichier(u"CHERCHE/SOUS/TROUVE.XYZ"_s, "trouvé");
    p().creer_fichier(u"CHERCHE/SOUS/TROUVE.TXT"_s, "pas celui-ci");
    const QString long_ = u"c:\\cherche\\un_repertoire_au_nom_assez_long\\"
                          "et_un_fichier_au_nom_plus_long_encore_que_la_fenetre.xyz"_s;
    p().creer_fichier(long_.mid(3).replace(u'\\', u'/').toUpper(), "long");
    // Montré tel qu'il est sur le disque, lettre d'unité en minuscule.
    const QString long_montre = u"c:"_s + long_.mid(2).toUpper();
    p().creer_repertoire(u"TROUVES"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\TROUVES"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\"_s));

    QVERIFY(cliquer(u"Chercher"_s));
    Arbre a = attendre([](const Arbre& x) { return x.a_fenetre(u"Cde_Chercher"_s); });
    QCOMPARE(a.fenetre(u"Cde_Chercher"_s).controle(u"Label_Message"_s).texte(),
             u"Entrez le modèle ou le type de fichiers à rechercher sur C:"_s);
    QVERIFY(saisir(u"Fichiers_cherchés"_s, u".xyz"_s, u"Cde_Chercher"_s));
    QVERIFY(cliquer(u"Ok"_s, u"Cde_Chercher"_s));
    a = attendre([](const Arbre& x) {
        return x.fenetre(u"Cherche_Fichier"_s).titre() == u"Sélectionnez le(s) fichier(s)";
    });
    const Fenetre resultats = a.fenetre(u"Cherche_Fichier"_s);
    QVERIFY2(resultats.existe(), qPrintable(a.textes()));
    QCOMPARE(resultats.controle(u"Recherche"_s).texte(), u"*.XYZ"_s);
    const Controle trouves = resultats.controle(u"Liste_sél"_s);
    QCOMPARE(trouves.elements(), QStringList({u"c:\\CHERCHE\\AUTRE.XYZ"_s,
                                              u"c:\\CHERCHE\\SOUS\\TROUVE.XYZ"_s, long_montre}));
    QCOMPARE(resultats.controle(u"Mess_infos"_s).texte(), u" 3 fichiers trouvés"_s);
    QVERIFY(capturer(u"Cherche_Fichier"_s, u"recherche"_s));

    // La bulle d'une ligne trop longue la montre entière, au-delà du bord
    // de la fenêtre.
    const auto ligne_longue = trouves.zone_element(long_montre);
    QVERIFY(ligne_longue);
    QVERIFY(p().survoler_en({ligne_longue->left() + 12, ligne_longue->center().y()}));
    // Fenêtre à part ou contrôle de la fenêtre : l'écran seul en juge.
    const auto bulle = [](const Arbre& x) {
        return x.fenetre(u"Tip"_s).existe() ? Controle(x.fenetre(u"Tip"_s)) : x.controle(u"Tip"_s);
    };
    a = attendre([&](const Arbre& x) { return bulle(x).texte() == long_montre; });
    QVERIFY2(bulle(a).texte() == long_montre, qPrintable(a.textes()));
    QVERIFY(bulle(a).geometrie().right() > resultats.geometrie().right());

    // Le clic vise le début de la ligne : la ligne la plus longue élargit
    // toutes les autres au-delà de la partie visible de la liste.
    const auto ligne_choisie = trouves.zone_element(u"c:\\CHERCHE\\SOUS\\TROUVE.XYZ"_s);
    QVERIFY(ligne_choisie);
    QVERIFY(p().cliquer_en({ligne_choisie->left() + 12, ligne_choisie->center().y()}));
    QVERIFY(cliquer(u"Ok"_s, u"Cherche_Fichier"_s));
    a = attendre([](const Arbre& x) {
        return !x.a_fenetre(u"Cherche_Fichier"_s) && x.controle(u"Fichier_sél"_s).existe();
    });
    QCOMPARE(a.controle(u"Fichier_sél"_s).elements(),
             QStringList({u"c:\\CHERCHE\\SOUS\\TROUVE.XYZ"_s}));

    // La commande suivante parcourt les trouvés, pas la liste SOURCE.
    QVERIFY(cliquer(u"Copier"_s));
    QVERIFY(au_repos());
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_dest"_s).elements() == QStringList({u"TROUVE.XYZ"_s});
    });
    QCOMPARE(a.controle(u"Fichier_dest"_s).elements(), QStringList({u"TROUVE.XYZ"_s}));
    QCOMPARE(p().noms(u"TROUVES"_s), QStringList({u"TROUVE.XYZ"_s}));
    QCOMPARE(p().contenu(u"TROUVES/TROUVE.XYZ"_s), QByteArray("trouvé"));
    a = attendre([](const Arbre& x) { return !x.controle(u"Fichier_sél"_s).existe(); });
    QVERIFY(!a.controle(u"Fichier_sél"_s).existe());
}

void EssaiKaldron::visualiser_texte_et_binaire() {
    const QByteArray texte = "Bonjour MORVINE\r\nseconde ligne\r\n";
    QByteArray binaire;
    for (int i = 0; i < 256; ++i)
        binaire.append(static_cast<char>(i));
    p().creer_fichier(u"VISU/LISEZ.TXT"_s, texte);
    p().creer_fichier(u"VISU/DONNEES.BIN"_s, binaire);
    const QStringList racine_avant = p().noms(QString());
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\VISU"_s));
    QVERIFY(choisir({u"DONNEES.BIN"_s, u"LISEZ.TXT"_s}));
    QVERIFY(cliquer(u"Visualiser"_s));
    QVERIFY(au_repos());

    // MORVINE est lancé par KALDRON, pas par l'essai : on le trouve par sa sonde.
    const auto morvine = p().attendre_programme(u"morvine"_s);
    QVERIFY2(morvine, "MORVINE n'a pas démarré");
    m_lances_par_kaldron << morvine->pid();
    const Arbre m = Pilote::attendre_arbre(*morvine, [](const Arbre& x) {
        const Fenetre f = cadre_morvine(x);
        return f.de_classe(u"QPlainTextEdit"_s).texte().contains(u"Bonjour"_s) &&
               f.de_classe(u"morvine::VueVidage"_s).nombre_elements() == 16;
    });
    QVERIFY2(m.valide(), "la sonde de MORVINE ne répond pas");
    const Fenetre editeur = cadre_morvine(m);
    const Controle texte_montre = editeur.de_classe(u"QPlainTextEdit"_s);
    QCOMPARE(texte_montre.texte(), u"Bonjour MORVINE\nseconde ligne\n"_s);
    const Controle vidage = editeur.de_classe(u"morvine::VueVidage"_s);
    QCOMPARE(vidage.nombre_elements(), 16);
    QCOMPARE(vidage.elements().at(0),
             u"00000: 00 01 02 03 04 05 06 07 - 08 09 0A 0B 0C 0D 0E 0F  ................ "_s);
    QCOMPARE(vidage.elements().at(4),
             u"00040: 40 41 42 43 44 45 46 47 - 48 49 4A 4B 4C 4D 4E 4F  @ABCDEFGHIJKLMNO "_s);
    // Les titres des documents sont les chemins complets.
    const QString titres = editeur.textes();
    QVERIFY(titres.contains(u"C:\\VISU\\LISEZ.TXT"_s));
    QVERIFY(titres.contains(u"C:\\VISU\\DONNEES.BIN"_s));
    // Ouvrir pour voir ne touche à rien et ne crée rien sur l'unité.
    QCOMPARE(p().contenu(u"VISU/LISEZ.TXT"_s), texte);
    QCOMPARE(p().contenu(u"VISU/DONNEES.BIN"_s), binaire);
    QCOMPARE(p().noms(QString()), racine_avant);
}

// Le MORVINE déjà ouvert ne répond plus (sa prise a disparu) : la copie que
// VISUALISER lance le dit à l'écran, noms perdus compris, puis s'arrête.
void EssaiKaldron::visualiser_devant_morvine_muet() {
    QVERIFY2(!m_lances_par_kaldron.isEmpty(), "pas de MORVINE ouvert par le scénario précédent");
    QDir run(p().repertoire_execution());
    const QStringList prises = run.entryList({u"morvine-*.sock"_s}, QDir::System);
    QVERIFY(!prises.isEmpty());
    for (const QString& prise : prises)
        QVERIFY(run.remove(prise));
    QVERIFY(p().lever(principale())); // le cadre de MORVINE la couvre
    QVERIFY(choisir({u"LISEZ.TXT"_s}));
    QVERIFY(cliquer(u"Visualiser"_s));
    QVERIFY(au_repos());

    const auto seconde = p().attendre_programme(u"morvine"_s, m_lances_par_kaldron);
    QVERIFY2(seconde, "la seconde copie de MORVINE n'a pas démarré");
    m_lances_par_kaldron << seconde->pid();
    const QString fragment = u"ne répond pas"_s;
    const Arbre a = Pilote::attendre_arbre(
        *seconde, [&](const Arbre& x) { return boite(x, fragment).existe(); }, 15000);
    const Fenetre b = boite(a, fragment);
    QVERIFY2(b.existe(), "aucune boîte de la seconde copie");
    QVERIFY(b.textes().contains(u"C:\\VISU\\LISEZ.TXT"_s, Qt::CaseInsensitive));
    QVERIFY(p().cliquer(b.bouton(u"OK"_s)));
    QVERIFY(Pilote::attendre([&] { return !seconde->en_vie(); }));
}

// Les touches et le menu passent par les boutons : les fichiers bougent
// sur le disque comme au clic.
void EssaiKaldron::clavier_et_menu_du_bouton_droit() {
    p().creer_fichier(u"CLAV/K1.TXT"_s, "un");
    p().creer_fichier(u"CLAV/K2.TXT"_s, "deux");
    p().creer_repertoire(u"CLAV_DEST"_s);
    QVERIFY(aller(u"Chemin_dest"_s, u"C:\\CLAV_DEST"_s));
    QVERIFY(aller(u"Chemin_srce"_s, u"C:\\CLAV"_s));
    QVERIFY(choisir({u"K1.TXT"_s}));
    QVERIFY(p().touche(u"F5"_s));
    QVERIFY(au_repos());
    QCOMPARE(p().contenu(u"CLAV_DEST/K1.TXT"_s), QByteArray("un"));
    QCOMPARE(p().noms(u"CLAV"_s), QStringList({u"K1.TXT"_s, u"K2.TXT"_s}));

    // Bouton droit sur un fichier non choisi : il est choisi seul, le menu
    // déplace.
    const auto zone = principale().controle(u"Fichier_srce"_s).zone_element(u"K2.TXT"_s);
    QVERIFY(zone);
    QVERIFY(p().cliquer_en(zone->center(), 3));
    Arbre a = attendre([](const Arbre& x) { return x.a_fenetre(u"Menu_contextuel"_s); });
    const Fenetre menu = a.fenetre(u"Menu_contextuel"_s);
    QVERIFY2(menu.existe(), qPrintable(a.textes()));
    QVERIFY(menu.elements().contains(u"&EFFACER\tF8"_s));
    QVERIFY(p().cliquer_element(menu, u"DEPLACER\tF6"_s));
    QVERIFY(au_repos());
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_dest"_s).elements() == QStringList({u"K1.TXT"_s, u"K2.TXT"_s});
    });
    QCOMPARE(p().noms(u"CLAV"_s), QStringList({u"K1.TXT"_s}));
    QCOMPARE(p().contenu(u"CLAV_DEST/K2.TXT"_s), QByteArray("deux"));

    // Ctrl+R : un fichier venu d'ailleurs paraît dans la liste SOURCE.
    p().creer_fichier(u"CLAV/K3.TXT"_s, "trois");
    QVERIFY(p().touche(u"ctrl+r"_s));
    a = attendre([](const Arbre& x) {
        return x.controle(u"Fichier_srce"_s).elements() == QStringList({u"K1.TXT"_s, u"K3.TXT"_s});
    });
    QCOMPARE(a.controle(u"Fichier_srce"_s).elements(), QStringList({u"K1.TXT"_s, u"K3.TXT"_s}));

    QVERIFY(choisir({u"K1.TXT"_s}));
    // Ctrl+Tab d'une liste à l'autre ; Retour arrière remonte le cadre du focus.
    QVERIFY(p().touche(u"ctrl+Tab"_s));
    a = attendre([](const Arbre& x) { return x.focus() == u"Fichier_dest"_s; });
    QCOMPARE(a.focus(), u"Fichier_dest"_s);
    QVERIFY(p().touche(u"BackSpace"_s));
    a = attendre([](const Arbre& x) { return x.controle(u"Chemin_dest"_s).texte() == u"c:\\"; });
    QCOMPARE(a.controle(u"Chemin_dest"_s).texte(), u"c:\\"_s);
    QCOMPARE(a.controle(u"Chemin_srce"_s).texte(), u"c:\\CLAV"_s);
    QVERIFY(p().touche(u"ctrl+Tab"_s));
    a = attendre([](const Arbre& x) { return x.focus() == u"Fichier_srce"_s; });
    QCOMPARE(a.focus(), u"Fichier_srce"_s);

    // "A propos" se ferme par Échap, puis par Entrée.
    for (const QString& touche : {u"Escape"_s, u"Return"_s}) {
        QVERIFY(cliquer(u"A_propos"_s));
        a = attendre([](const Arbre& x) { return x.a_fenetre(u"Apropos"_s); });
        QVERIFY(p().focaliser(a.fenetre(u"Apropos"_s)));
        Pilote::attendre_calme(*m_kaldron);
        QVERIFY(p().touche(touche));
        a = attendre([](const Arbre& x) { return !x.a_fenetre(u"Apropos"_s); });
        QVERIFY2(!a.a_fenetre(u"Apropos"_s), qPrintable(touche));
    }
}

void EssaiKaldron::quitter() {
    QVERIFY(m_kaldron);
    QVERIFY(cliquer(u"Quitter"_s));
    QVERIFY(repondre(u"Voulez-vous QUITTER"_s, u"Oui"_s));
    QVERIFY(Pilote::attendre([this] { return !m_kaldron->en_vie(); }));
}

// Relancé iconisé depuis un sous-répertoire, avec « Répertoire=Courant » :
// listes et champs sont dans ce répertoire, et la fenêtre rendue retrouve sa
// légende.
void EssaiKaldron::relance_iconisee_dans_le_repertoire_courant() {
    QVERIFY(m_kaldron && !m_kaldron->en_vie());
    p().creer_fichier(u"LANCE/ICI/DANS_ICI.TXT"_s, "ici");
    p().creer_repertoire(u"LANCE/ICI/SOUS"_s);
    QFile ini(p().repertoire_programme() + u"/KALDRON.INI"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(u"[Options]\r\nConfirme=Non\r\nIconisé=Oui\r\nRépertoire=Courant\r\n"_s.toLatin1());
    ini.close();
    QVERIFY(p().lancer(u"kaldron"_s, {}, p().hote(u"LANCE/ICI"_s)));
    m_kaldron = p().attendre_programme(u"kaldron"_s, {m_kaldron->pid()});
    QVERIFY2(m_kaldron, "la sonde de KALDRON relancé ne répond pas");
    Arbre a = attendre([](const Arbre& x) { return x.a_fenetre(k_principale); }, 20000);
    Fenetre f = a.fenetre(k_principale);
    QVERIFY(f.existe());
    QCOMPARE(f.titre(), u"KALDRON"_s);
    QCOMPARE(f.controle(u"Chemin_srce"_s).texte(), u"c:\\LANCE\\ICI"_s);
    QCOMPARE(f.controle(u"Chemin_dest"_s).texte(), u"c:\\LANCE\\ICI"_s);
    QCOMPARE(f.controle(u"Fichier_srce"_s).elements(), QStringList({u"DANS_ICI.TXT"_s}));
    QCOMPARE(f.controle(u"Fichier_dest"_s).elements(), QStringList({u"DANS_ICI.TXT"_s}));
    QVERIFY(f.controle(u"Répertoire_srce"_s).elements().join(u'|').contains(u"SOUS"_s));
    QVERIFY(ligne_montre({u"DANS_ICI.TXT"_s}, 3));

    QVERIFY2(p().etat_fenetre(f, false), qPrintable(p().journal()));
    a = attendre([](const Arbre& x) {
        return x.fenetre(k_principale).titre() == u"Gestionnaire de fichiers  (Mode fichier)   ";
    });
    QCOMPARE(a.fenetre(k_principale).titre(), u"Gestionnaire de fichiers  (Mode fichier)   "_s);
    quitter();

    // Ouvert sur un dossier (kaldron.desktop, terminal) : SOURCE y part,
    // même quand le répertoire initial est la racine.
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Options]\r\nConfirme=Non\r\nR\xe9pertoire=Racine\r\n");
    ini.close();
    // Un script exécutable : un programme, qui part dans le terminal.
    const QString script = p().creer_fichier(
        u"LANCE/ICI/SOUS/outil.sh"_s, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > ../sortie\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
    qputenv("TERMINAL_ESSAI_TEMOIN", QFile::encodeName(p().hote(u"LANCE/terminal"_s)));
    // Un PDF sans association va à l'application du bureau : ici, un lecteur
    // déclaré dans un faux répertoire de données XDG, qui note ses arguments.
    p().creer_fichier(u"LANCE/ICI/SOUS/facture.pdf"_s, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    const QString lecteur = p().creer_fichier(u"LANCE/xdg/lecteur"_s,
                                              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
    QFile::setPermissions(lecteur, QFile::permissions(lecteur) | QFile::ExeOwner);
    p().creer_fichier(
        u"LANCE/xdg/applications/lecteur.desktop"_s,
        ("[Desktop Entry]\nType=Application\nName=Lecteur\nExec=" + lecteur + " %f\n").toUtf8());
    p().creer_fichier(u"LANCE/xdg/applications/mimeinfo.cache"_s,
                      "[MIME Cache]\napplication/pdf=lecteur.desktop;\n");
    qputenv("XDG_DATA_HOME", QFile::encodeName(p().hote(u"LANCE/xdg"_s)));
    const qint64 avant = m_kaldron->pid();
    QProcess* relance = p().lancer(u"kaldron"_s, {p().hote(u"LANCE/ICI/SOUS"_s)});
    qunsetenv("KALDRON_TERMINAL");
    qunsetenv("TERMINAL_ESSAI_TEMOIN");
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(relance);
    m_kaldron = p().attendre_programme(u"kaldron"_s, {avant});
    QVERIFY2(m_kaldron, "la sonde de KALDRON ouvert sur un dossier ne répond pas");
    a = attendre(
        [](const Arbre& x) {
            return x.fenetre(k_principale).controle(u"Chemin_srce"_s).texte() ==
                   u"c:\\LANCE\\ICI\\SOUS"_s;
        },
        20000);
    QCOMPARE(a.fenetre(k_principale).controle(u"Chemin_srce"_s).texte(), u"c:\\LANCE\\ICI\\SOUS"_s);
    QCOMPARE(a.fenetre(k_principale).controle(u"Fichier_srce"_s).elements(),
             QStringList({u"facture.pdf"_s, u"outil.sh"_s}));
    QVERIFY(p().cliquer_element(principale().controle(u"Fichier_srce"_s), u"outil.sh"_s, {}, 2));
    QVERIFY(repondre(u"Voulez-vous EDITER ou EXECUTER le fichier 'outil.sh' ?"_s, u"EXECUTER"_s));
    const Fenetre parametres = attendre_boite(u"Entrez le(s) paramètre(s)"_s);
    QVERIFY2(parametres.existe(), qPrintable(arbre().textes()));
    QVERIFY(p().cliquer(parametres.de_classe(u"QLineEdit"_s)));
    QVERIFY(p().touche(u"ctrl+a"_s) && p().taper(u"un deux"_s) && p().touche(u"Return"_s));
    QVERIFY(Pilote::attendre([this] { return p().existe(u"LANCE/ICI/sortie"_s); }));
    QCOMPARE(QString::fromUtf8(p().contenu(u"LANCE/ICI/sortie"_s)),
             QFileInfo(p().hote(u"LANCE/ICI/SOUS"_s)).canonicalFilePath() + u"\nun deux\n"_s);
    QVERIFY(p().contenu(u"LANCE/terminal"_s).startsWith("-e\n/bin/sh\n-c\n"));
    QVERIFY(au_repos());
    QVERIFY(p().cliquer_element(principale().controle(u"Fichier_srce"_s), u"facture.pdf"_s, {}, 2));
    QVERIFY(Pilote::attendre([this] { return p().existe(u"LANCE/xdg/lecteur.args"_s); }));
    QCOMPARE(QString::fromUtf8(p().contenu(u"LANCE/xdg/lecteur.args"_s)),
             p().hote(u"LANCE/ICI/SOUS/facture.pdf"_s) + u"\n"_s);
    QVERIFY(au_repos());
    quitter();
}

QTEST_GUILESS_MAIN(EssaiKaldron)
#include "test_e2e_kaldron.moc"
