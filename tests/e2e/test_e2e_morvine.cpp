// MORVINE piloté de bout en bout : vrai programme, vrai serveur X, vraies
// touches et vrais clics ; chaque scénario juge le disque et l'écran.
#include "pilote.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using e2e::Arbre;
using e2e::Controle;
using e2e::Fenetre;
using e2e::Pilote;

namespace {

const QString k_cadre = u"Editeur"_s;
const QString k_lettre = u"C:\\DOC\\LETTRE.TXT"_s;
// Fins de ligne DOS : l'éditeur les montre en paragraphes et doit les rendre.
const QByteArray k_octets_lettre = "Bonjour,\r\nMorvine lit ce texte.\r\nFin du texte.\r\n";
// 130 et 135 sont é et ç sous DOS ; 21 est §.
const QByteArray k_octets_dos = "Caf\x82 gla\x87on \x15 fin\r\n";
const QByteArray k_octets_windows = "Caf\xe9 gla\xe7on \xa7 fin\r\n";
const QByteArray k_octets_utf8 = "Tr\xc3\xa8s bien\n";

Fenetre cadre(const Arbre& a) {
    return a.fenetre(k_cadre);
}

// Contrôle de la fenêtre de document de ce titre qui répond au critère (la
// sonde décrit les contrôles dans l'ordre de l'arbre : chaque sous-fenêtre
// puis les siens).
Controle dans_document(const Fenetre& f, const QString& titre,
                       const std::function<bool(const Controle&)>& critere) {
    bool dedans = false;
    for (const Controle& c : f.controles()) {
        if (c.classe() == u"QMdiSubWindow"_s) {
            dedans = c.json().value(u"titre"_s).toString() == titre;
            continue;
        }
        if (dedans && critere(c))
            return c;
    }
    return {};
}

Controle dans_document(const Fenetre& f, const QString& titre, const QString& nom) {
    return dans_document(f, titre, [&](const Controle& c) { return c.nom() == nom; });
}

// En-tête "horizontale" (noms des champs) ou "verticale" (numéros des
// lignes montrées) de la grille dBase du document de ce titre.
Controle entete_grille(const Fenetre& f, const QString& titre, const QString& orientation) {
    const QString classe =
        orientation == u"verticale"_s ? u"morvine::NumerosLignes"_s : u"QHeaderView"_s;
    return dans_document(f, titre, [&](const Controle& c) {
        return c.classe() == classe && c.parent() == u"Grille1"_s &&
               c.json().value(u"orientation"_s).toString() == orientation;
    });
}

QStringList titres_documents(const Fenetre& f) {
    QStringList titres;
    for (const Controle& c : f.controles()) {
        if (c.classe() == u"QMdiSubWindow"_s)
            titres << c.json().value(u"titre"_s).toString();
    }
    return titres;
}

// Menu déroulé qui montre cet élément.
Fenetre menu_ouvert(const Arbre& a, const QString& element) {
    for (const Fenetre& f : a.fenetres()) {
        if (f.classe() == u"QMenu"_s && f.zone_element(element))
            return f;
    }
    return {};
}

// Boîte de message (QMessageBox) dont le texte contient 'fragment'.
Fenetre boite(const Arbre& a, const QString& fragment) {
    for (const Fenetre& f : a.fenetres()) {
        if (f.classe() == u"QMessageBox"_s && f.textes().contains(fragment))
            return f;
    }
    return {};
}

// Liste de complétion d'un champ de nom de fichier, quand elle est ouverte.
Fenetre completion(const Arbre& a) {
    for (const Fenetre& f : a.fenetres()) {
        if (f.classe() == u"QListView"_s)
            return f;
    }
    return {};
}

// Document actif : celui dont le texte a le focus.
QString document_actif(const Fenetre& f) {
    for (const QString& titre : titres_documents(f)) {
        if (dans_document(f, titre, u"Text1"_s).focus())
            return titre;
    }
    return {};
}

// Éléments cochés d'un menu déroulé (sans '&').
QStringList coches(const Fenetre& menu) {
    QStringList textes;
    for (const QJsonValue e : menu.json().value(u"elements"_s).toArray()) {
        if (e.toObject().value(u"coche"_s).toBool())
            textes << e.toObject().value(u"texte"_s).toString().remove(u'&');
    }
    return textes;
}

// Textes d'éléments (menus, barre) sans les '&' des raccourcis.
QStringList sans_raccourcis(QStringList textes) {
    for (QString& t : textes)
        t.remove(u'&');
    return textes;
}

// Fichiers de vidage que ce processus tient ouverts (sa liste les relit).
QStringList vidages_ouverts(qint64 pid) {
    static const QRegularExpression vidage(u"/QX[0-9]{6}[^/]*\\.TMP$"_s);
    QStringList trouves;
    const QDir fd(u"/proc/%1/fd"_s.arg(pid));
    for (const QFileInfo& lien :
         fd.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString cible = lien.symLinkTarget();
        if (vidage.match(cible).hasMatch() && !trouves.contains(cible))
            trouves << cible;
    }
    return trouves;
}

// Champ de longueur fixe, complété de blancs.
QByteArray champ(const QByteArray& octets, int longueur) {
    return octets.leftJustified(longueur, ' ', true);
}

QByteArray descripteur(const QByteArray& nom, char type, int longueur) {
    QByteArray d(32, '\0');
    d.replace(0, nom.size(), nom);
    d[11] = type;
    d[16] = char(longueur);
    return d;
}

// Table dBase III de trois enregistrements, dont le deuxième est effacé.
QByteArray table_clients() {
    const QByteArray champs = descripteur("NOM", 'C', 10) + descripteur("NE_LE", 'D', 8) +
                              descripteur("ACTIF", 'L', 1) + descripteur("VILLE", 'C', 8);
    const int longueur = 1 + 10 + 8 + 1 + 8;
    const int en_tete = 32 + int(champs.size()) + 1;
    QByteArray octets(32, '\0');
    octets[0] = 3;
    octets[4] = 3;
    octets[8] = char(en_tete & 255);
    octets[9] = char(en_tete >> 8);
    octets[10] = char(longueur);
    octets += champs + '\x0d';
    octets += ' ' + champ("H\xe9l\xe8ne", 10) + "19980315" + 'T' + champ("Paris", 8);
    octets += '*' + champ("Effac\xe9", 10) + "20000101" + 'T' + champ("Nulle", 8);
    octets += ' ' + champ("Martin", 10) + "20011231" + '?' + champ("Lyon", 8);
    return octets + '\x1a';
}

// Table de 15 champs et 300 fiches : plus large et plus haute que sa fenêtre.
constexpr int k_champs_grande = 15;
constexpr int k_fiches_grande = 300;
QByteArray table_grande() {
    QByteArray champs;
    for (int k = 1; k <= k_champs_grande; ++k)
        champs += descripteur("CHAMP" + QByteArray::number(k), 'C', 8);
    const int en_tete = 32 + int(champs.size()) + 1;
    QByteArray octets(32, '\0');
    octets[0] = 3;
    octets[8] = char(en_tete & 255);
    octets[9] = char(en_tete >> 8);
    octets[10] = char(1 + 8 * k_champs_grande);
    octets += champs + '\x0d';
    for (int n = 1; n <= k_fiches_grande; ++n) {
        octets += ' ';
        for (int k = 1; k <= k_champs_grande; ++k)
            octets += champ(QByteArray::number(n) + '-' + QByteArray::number(k), 8);
    }
    return octets + '\x1a';
}

// Image de 160 × 96 : bandes de couleur et une diagonale.
QByteArray image_bmp(const char* format = "BMP") {
    QImage image(160, 96, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb bande = x < 53    ? qRgb(0, 0, 168)
                               : x < 106 ? qRgb(0, 168, 168)
                                         : qRgb(252, 252, 84);
            image.setPixel(x, y, (x / 2 == y || x / 2 == y + 1) ? qRgb(168, 0, 0) : bande);
        }
    }
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, format);
    return octets;
}

} // namespace

class EssaiMorvine : public QObject {
    Q_OBJECT

    std::unique_ptr<Pilote> m_pilote;
    std::shared_ptr<e2e::Programme> m_morvine;
    QProcess* m_processus = nullptr;
    QTemporaryFile m_suppressions;

    Pilote& p() const { return *m_pilote; }
    Arbre arbre() { return m_morvine->arbre(); }
    Arbre attendre(const std::function<bool(const Arbre&)>& predicat, int delai_ms = 10000) {
        return Pilote::attendre_arbre(*m_morvine, predicat, delai_ms);
    }

    bool lancer(const QStringList& arguments);
    bool menu(const QString& titre, const QString& element);
    bool cliquer(const Controle& c);
    bool repondre(const QString& fragment, const QString& bouton);
    bool attendre_document(const QString& titre);
    bool fermer_document(const QString& titre);
    bool dialogue_fichier(const QString& nom, const QString& bouton);
    bool seconde_copie(const QStringList& noms_dos);
    bool taper_a_la_fin(const QString& titre, const QString& texte);
    bool enregistrer_par_dessus(const QString& titre, const QString& fichier,
                                const QByteArray& avant);
    QString valeur_ini(const QString& section, const QString& cle) const;
    QStringList recents_ini() const;
    QStringList vidages() const;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void ouvrir_texte_de_la_ligne_de_commande();
    void aide_par_le_menu();
    void chercher_au_clavier();
    void enregistrer_texte_modifie();
    void convertir_dos_windows_puis_enregistrer();
    void seconde_copie_transmet_ses_fichiers();
    void table_dbase_et_image();
    void fichiers_recents_apres_reouverture();
    void documents_au_clavier_et_menu_fenetres();
    void petit_ecran_et_mosaique();
};

// --- Gestes communs -------------------------------------------------------

bool EssaiMorvine::lancer(const QStringList& arguments) {
    const QList<qint64> deja_vus = [this] {
        QList<qint64> pids;
        for (const auto& m : p().programmes(u"morvine"_s))
            pids << m->pid();
        return pids;
    }();
    m_processus = p().lancer(u"morvine"_s, arguments);
    if (!m_processus)
        return false;
    m_morvine = p().attendre_programme(u"morvine"_s, deja_vus);
    if (!m_morvine)
        return false;
    const Arbre a = attendre([](const Arbre& x) { return cadre(x).existe(); });
    return cadre(a).existe();
}

bool EssaiMorvine::cliquer(const Controle& c) {
    if (!c.existe() || !c.actif()) {
        qWarning("contrôle %s absent ou inactif ; écran :\n%s", qPrintable(c.nom()),
                 qPrintable(arbre().textes()));
        return false;
    }
    return p().cliquer(c);
}

// Ouvre un menu de la barre du cadre et clique un de ses éléments.
bool EssaiMorvine::menu(const QString& titre, const QString& element) {
    Controle barre;
    attendre([&](const Arbre& x) {
        barre = cadre(x).de_classe(u"QMenuBar"_s);
        return barre.zone_element(titre).has_value();
    });
    if (!p().cliquer_element(barre, titre)) {
        qWarning("menu %s : %s", qPrintable(titre), qPrintable(p().journal()));
        return false;
    }
    Fenetre liste;
    attendre([&](const Arbre& x) {
        liste = menu_ouvert(x, element);
        return liste.existe();
    });
    if (!p().cliquer_element(liste, element)) {
        qWarning("élément %s du menu %s : %s", qPrintable(element), qPrintable(titre),
                 qPrintable(p().journal()));
        return false;
    }
    Pilote::attendre_calme(*m_morvine);
    return true;
}

bool EssaiMorvine::repondre(const QString& fragment, const QString& bouton) {
    const Arbre a = attendre([&](const Arbre& x) { return boite(x, fragment).existe(); });
    const Fenetre b = boite(a, fragment);
    if (!b.existe()) {
        qWarning("pas de boîte « %s » ; écran :\n%s", qPrintable(fragment), qPrintable(a.textes()));
        return false;
    }
    return cliquer(b.bouton(bouton)) &&
           attendre([&](const Arbre& x) { return !boite(x, fragment).existe(); }).valide();
}

bool EssaiMorvine::attendre_document(const QString& titre) {
    const Arbre a =
        attendre([&](const Arbre& x) { return titres_documents(cadre(x)).contains(titre); });
    if (titres_documents(cadre(a)).contains(titre))
        return true;
    qWarning("pas de document %s ; écran :\n%s", qPrintable(titre), qPrintable(a.textes()));
    return false;
}

// Le document actif est fermé par Fichier/Fermer, sans question.
bool EssaiMorvine::fermer_document(const QString& titre) {
    // Un clic sur sa barre de titre en fait le document actif.
    const QRect g = cadre(arbre()).controle(titre).geometrie();
    if (!g.isValid() || !p().cliquer_en(g.topLeft() + QPoint(60, 8)))
        return false;
    Pilote::attendre_calme(*m_morvine);
    if (!menu(u"Fichier"_s, u"Fermer"_s))
        return false;
    const Arbre a =
        attendre([&](const Arbre& x) { return !titres_documents(cadre(x)).contains(titre); });
    return !titres_documents(cadre(a)).contains(titre);
}

// Dialogue de fichier ouvert : le nom est tapé (s'il est donné), puis le bouton
// est cliqué. Une liste de complétion ouverte est d'abord choisie à la souris.
bool EssaiMorvine::dialogue_fichier(const QString& nom, const QString& bouton) {
    Controle champ_nom;
    attendre([&](const Arbre& x) {
        champ_nom = x.de_classe(u"QFileDialog"_s).controle(u"fileNameEdit"_s);
        return champ_nom.existe();
    });
    if (!champ_nom.existe()) {
        qWarning("pas de dialogue de fichier ; écran :\n%s", qPrintable(arbre().textes()));
        return false;
    }
    if (!nom.isEmpty()) {
        if (!cliquer(champ_nom) || !p().touche(u"ctrl+a"_s) || !p().taper(nom))
            return false;
        const Arbre a = Pilote::attendre_calme(*m_morvine);
        const Fenetre liste = completion(a);
        // La liste montre les noms sans leur répertoire.
        if (liste.existe() && !p().cliquer_element(liste, QFileInfo(nom).fileName())) {
            qWarning("complétion : %s", qPrintable(liste.elements().join(u", "_s)));
            return false;
        }
        const Arbre b = attendre([&](const Arbre& x) {
            return x.de_classe(u"QFileDialog"_s)
                       .controle(u"fileNameEdit"_s)
                       .texte()
                       .endsWith(QFileInfo(nom).fileName()) &&
                   !completion(x).existe();
        });
        if (completion(b).existe())
            return false;
    }
    return cliquer(arbre().de_classe(u"QFileDialog"_s).bouton(bouton));
}

// Une seconde copie reçoit ces noms, les passe à la première et s'arrête.
bool EssaiMorvine::seconde_copie(const QStringList& noms_dos) {
    QProcess* seconde = p().lancer(u"morvine"_s, QStringList{u"ovl"_s} + noms_dos);
    if (!seconde ||
        (seconde->state() != QProcess::NotRunning && !seconde->waitForFinished(15000))) {
        qWarning("la seconde copie ne s'arrête pas");
        return false;
    }
    if (seconde->exitStatus() != QProcess::NormalExit || seconde->exitCode() != 0) {
        qWarning("la seconde copie finit en erreur (%d)", seconde->exitCode());
        return false;
    }
    for (const QString& nom : noms_dos) {
        if (!attendre_document(nom))
            return false;
    }
    return true;
}

// Le texte est tapé à la fin du document, qui a le focus.
bool EssaiMorvine::taper_a_la_fin(const QString& titre, const QString& texte) {
    if (!cliquer(dans_document(cadre(arbre()), titre, u"Text1"_s)))
        return false;
    // Les touches partent quand le texte a le focus, le curseur à la fin.
    Arbre pret = attendre(
        [&](const Arbre& x) { return dans_document(cadre(x), titre, u"Text1"_s).focus(); });
    if (!dans_document(cadre(pret), titre, u"Text1"_s).focus()) {
        qWarning("pas de focus : %s", qPrintable(pret.focus()));
        return false;
    }
    if (!p().touche(u"ctrl+End"_s))
        return false;
    pret = attendre([&](const Arbre& x) {
        const Controle t = dans_document(cadre(x), titre, u"Text1"_s);
        return t.json().value(u"curseur"_s).toInt() == t.json().value(u"taille_texte"_s).toInt();
    });
    if (!p().taper(texte))
        return false;
    const Arbre a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), titre, u"Text1"_s).texte().endsWith(texte);
    });
    const QString montre = dans_document(cadre(a), titre, u"Text1"_s).texte();
    if (!montre.endsWith(texte))
        qWarning("texte montré : %s", qPrintable(montre));
    return montre.endsWith(texte);
}

// Enregistrer (par « Enregistrer sous », prérempli du titre) sur le fichier
// même ; vrai quand son contenu a changé.
bool EssaiMorvine::enregistrer_par_dessus(const QString& titre, const QString& fichier,
                                          const QByteArray& avant) {
    if (!cliquer(cadre(arbre()).controle(u"Enregistrer"_s)))
        return false;
    const Arbre a = attendre([](const Arbre& x) {
        return x.de_classe(u"QFileDialog"_s).controle(u"fileNameEdit"_s).existe();
    });
    const QString propose = a.de_classe(u"QFileDialog"_s).controle(u"fileNameEdit"_s).texte();
    if (propose != titre) {
        qWarning("nom proposé : %s", qPrintable(propose));
        return false;
    }
    return dialogue_fichier({}, u"Enregistrer"_s) && repondre(u"existe déjà"_s, u"Oui"_s) &&
           Pilote::attendre([&] { return p().contenu(fichier) != avant; });
}

// Valeur d'une clé de MORVINE.INI, lue sur le disque (vide si absente).
QString EssaiMorvine::valeur_ini(const QString& section, const QString& cle) const {
    QFile ini(QDir(p().repertoire_programme()).filePath(u"MORVINE.INI"_s));
    if (!ini.open(QIODevice::ReadOnly))
        return {};
    QString courante;
    const QStringList lignes = QString::fromLatin1(ini.readAll()).split(u'\n');
    for (QString ligne : lignes) {
        ligne = ligne.trimmed();
        if (ligne.startsWith(u'[')) {
            courante = ligne.mid(1, ligne.indexOf(u']') - 1);
        } else if (courante.compare(section, Qt::CaseInsensitive) == 0 &&
                   ligne.section(u'=', 0, 0).trimmed().compare(cle, Qt::CaseInsensitive) == 0) {
            return ligne.section(u'=', 1, -1);
        }
    }
    return {};
}

QStringList EssaiMorvine::recents_ini() const {
    QStringList recents;
    for (int i = 1; i <= 8; ++i) {
        const QString v = valeur_ini(u"Fichiers"_s, u"Fichier%1"_s.arg(i));
        if (!v.isEmpty() && !v.startsWith(u"Not Used"_s))
            recents << v;
    }
    return recents;
}

// Fichiers de vidage temporaires à la racine de C:.
QStringList EssaiMorvine::vidages() const {
    return p().noms(QString()).filter(
        QRegularExpression(u"^QX.*\\.TMP$"_s, QRegularExpression::CaseInsensitiveOption));
}

// --- Mise en place --------------------------------------------------------

void EssaiMorvine::initTestCase() {
    QString raison;
    if (!Pilote::outils_presents(&raison)) {
        if (Pilote::obligatoire())
            QFAIL(qPrintable(raison));
        QSKIP(qPrintable(raison));
    }
    // Sous LeakSanitizer, la fuite de libdbus (bibliothèque du système, chargée
    // par Qt sous X) ferait finir MORVINE en erreur : elle seule est tue.
    QVERIFY(m_suppressions.open());
    m_suppressions.write("leak:libdbus-1.so\n");
    m_suppressions.flush();
    QByteArray lsan = qgetenv("LSAN_OPTIONS");
    qputenv("LSAN_OPTIONS", lsan + (lsan.isEmpty() ? "" : ":") +
                                "suppressions=" + QFile::encodeName(m_suppressions.fileName()));
    m_pilote = std::make_unique<Pilote>();
    QVERIFY2(p().demarrer(&raison), qPrintable(raison));
    p().creer_fichier(u"DOC/LETTRE.TXT"_s, k_octets_lettre);
    p().creer_fichier(u"DOC/DOS.TXT"_s, k_octets_dos);
    p().creer_fichier(u"DOC/DONNEES.BIN"_s, QByteArray("MORVINE, vidage\t\x00\xff~ ", 20));
    p().creer_fichier(u"DOC/MON FICHIER.TXT"_s, "Un nom avec un blanc.\r\n");
    p().creer_fichier(u"DOC/CLIENTS.DBF"_s, table_clients());
    p().creer_fichier(u"DOC/GRANDE.DBF"_s, table_grande());
    p().creer_fichier(u"DOC/DESSIN.BMP"_s, image_bmp());
    p().creer_fichier(u"DOC/UTF8.TXT"_s, k_octets_utf8);
    p().creer_fichier(u"DOC/PHOTO.PNG"_s, image_bmp("PNG"));
    p().creer_fichier(u"DOC/COMPTES.CSV"_s, "nom;ville\r\nH\xc3\xa9l\xc3\xa8ne;Paris\r\n");
    p().creer_fichier(u"DOC/README"_s, "Lisez-moi\n");
}

void EssaiMorvine::cleanupTestCase() {
    m_morvine.reset();
    m_pilote.reset(); // tue tout ce qui a été lancé
}

// --- Scénarios ------------------------------------------------------------

void EssaiMorvine::ouvrir_texte_de_la_ligne_de_commande() {
    QVERIFY2(lancer({u"ovl"_s, k_lettre}), "MORVINE ne démarre pas");
    QVERIFY(attendre_document(k_lettre));
    const Arbre a = attendre([](const Arbre& x) {
        return dans_document(cadre(x), k_lettre, u"Text1"_s).texte().contains(u"Fin du"_s);
    });
    const Fenetre f = cadre(a);
    QCOMPARE(f.titre(), u"Visualiseur"_s);
    QCOMPARE(titres_documents(f), QStringList{k_lettre});
    QCOMPARE(dans_document(f, k_lettre, u"Text1"_s).texte(),
             u"Bonjour,\nMorvine lit ce texte.\nFin du texte.\n"_s);
    // Les menus d'un texte modifiable remplacent ceux du cadre.
    const QStringList menus = sans_raccourcis(f.de_classe(u"QMenuBar"_s).elements());
    QCOMPARE(menus, (QStringList{u"Fichier"_s, u"Edition"_s, u"Recherche"_s, u"Options"_s,
                                 u"Fenêtres"_s, u"Aide"_s}));
    QVERIFY(f.controle(u"Enregistrer"_s).actif());
    // Ouvrir pour voir ne change rien ; le fichier entre dans les récents.
    QCOMPARE(p().contenu(u"DOC/LETTRE.TXT"_s), k_octets_lettre);
    QCOMPARE(recents_ini(), QStringList{k_lettre});
    QVERIFY(!p().capture(*m_morvine, k_cadre, u"morvine_texte"_s).isEmpty());
}

// Le menu Aide montre la page de MORVINE dans une fenêtre du programme, que
// Fermer referme.
void EssaiMorvine::aide_par_le_menu() {
    const QString titre = u"Aide de MORVINE"_s;
    QVERIFY(menu(u"Aide"_s, titre));
    const Arbre a = attendre([&](const Arbre& x) {
        return x.fenetre(titre).controle(u"Texte"_s).texte().contains(u"Convertir en ANSI"_s);
    });
    const Fenetre f = a.fenetre(titre);
    QVERIFY2(f.existe(), qPrintable(a.textes()));
    QVERIFY(f.controle(u"Texte"_s).texte().contains(u"Les cinq affichages"_s));
    QVERIFY(cliquer(f.bouton(u"Fermer"_s)));
    QVERIFY(!attendre([&](const Arbre& x) { return !x.a_fenetre(titre); }).a_fenetre(titre));
}

void EssaiMorvine::chercher_au_clavier() {
    QVERIFY(m_morvine);
    // Le curseur au début du texte.
    QVERIFY(cliquer(dans_document(cadre(arbre()), k_lettre, u"Text1"_s)));
    QVERIFY(p().touche(u"ctrl+Home"_s));
    QVERIFY(menu(u"Recherche"_s, u"Chercher"_s));
    Arbre a = attendre([](const Arbre& x) { return x.fenetre(u"Recherche"_s).existe(); });
    Fenetre r = a.fenetre(u"Recherche"_s);
    QVERIFY2(r.existe(), qPrintable(a.textes()));
    QCOMPARE(r.titre(), u"Rechercher"_s);
    QVERIFY(!r.controle(u"cmdFind"_s).actif()); // rien à chercher encore
    QVERIFY(r.controle(u"chkCase"_s).coche());
    QVERIFY(r.controle(u"optDirection1"_s).coche());

    // En capitales : « Maj. = Min. » est coché, « texte » est trouvé.
    QVERIFY(cliquer(r.controle(u"Text1"_s)));
    QVERIFY(p().taper(u"TEXTE"_s));
    QVERIFY(p().touche(u"Return"_s));
    a = attendre([](const Arbre& x) {
        return dans_document(cadre(x), k_lettre, u"Text1"_s).texte_choisi() == u"texte"_s;
    });
    Controle texte = dans_document(cadre(a), k_lettre, u"Text1"_s);
    QCOMPARE(texte.texte_choisi(), u"texte"_s);
    QCOMPARE(texte.json().value(u"curseur"_s).toInt(), 29); // fin du premier « texte »
    QVERIFY(a.fenetre(u"Recherche"_s).existe());            // la boîte reste ouverte

    // Ok encore : l'occurrence suivante, sur la ligne suivante.
    QVERIFY(p().touche(u"Return"_s));
    a = attendre([](const Arbre& x) {
        return dans_document(cadre(x), k_lettre, u"Text1"_s).json().value(u"curseur"_s).toInt() ==
               43;
    });
    texte = dans_document(cadre(a), k_lettre, u"Text1"_s);
    QCOMPARE(texte.json().value(u"curseur"_s).toInt(), 43);
    QCOMPARE(texte.texte_choisi(), u"texte"_s);

    // Plus rien : la chaîne, en minuscules, est dite introuvable, titrée du document.
    QVERIFY(p().touche(u"Return"_s));
    a = attendre([](const Arbre& x) { return boite(x, u"n'a pas été trouvée"_s).existe(); });
    const Fenetre b = boite(a, u"n'a pas été trouvée"_s);
    QVERIFY2(b.existe(), qPrintable(a.textes()));
    QVERIFY2(b.textes().contains(u"La chaîne \"texte\" n'a pas été trouvée."_s),
             qPrintable(b.textes()));
    QCOMPARE(b.titre(), k_lettre);
    QVERIFY(repondre(u"n'a pas été trouvée"_s, u"OK"_s));
    // La sélection reste sur la dernière trouvaille.
    QCOMPARE(dans_document(cadre(arbre()), k_lettre, u"Text1"_s).texte_choisi(), u"texte"_s);

    r = arbre().fenetre(u"Recherche"_s);
    QVERIFY(cliquer(r.controle(u"cmdcancel"_s)));
    a = attendre([](const Arbre& x) { return !x.fenetre(u"Recherche"_s).existe(); });
    QVERIFY(!a.fenetre(u"Recherche"_s).existe());
    // Chercher ne touche pas au fichier.
    QCOMPARE(p().contenu(u"DOC/LETTRE.TXT"_s), k_octets_lettre);
}

void EssaiMorvine::enregistrer_texte_modifie() {
    QVERIFY(m_morvine);
    const QStringList doc_avant = p().noms(u"DOC"_s);
    const QByteArray dos_avant = p().contenu(u"DOC/DOS.TXT"_s);
    const QString recents_avant = recents_ini().join(u'|');
    // Ajout à la fin (dernière ligne vide).
    QVERIFY(taper_a_la_fin(k_lettre, u"Ajout ici"_s));
    // Enregistrer passe par « Enregistrer sous », prérempli du titre.
    QVERIFY(enregistrer_par_dessus(u"LETTRE.TXT"_s, u"DOC/LETTRE.TXT"_s, k_octets_lettre));

    // Octets exacts : fins de ligne DOS gardées, une fin de ligne ajoutée.
    QCOMPARE(p().contenu(u"DOC/LETTRE.TXT"_s), k_octets_lettre + "Ajout ici\r\n");
    // Rien d'autre : ni fichier de travail laissé, ni autre fichier, ni récents.
    QCOMPARE(p().noms(u"DOC"_s), doc_avant);
    QCOMPARE(p().contenu(u"DOC/DOS.TXT"_s), dos_avant);
    QCOMPARE(recents_ini().join(u'|'), recents_avant);
    Arbre a = attendre([](const Arbre& x) { return !x.de_classe(u"QFileDialog"_s).existe(); });
    QCOMPARE(titres_documents(cadre(a)), QStringList{k_lettre});

    // Enregistré, donc plus modifié : la fermeture ne demande rien.
    QVERIFY(fermer_document(k_lettre));
    a = Pilote::attendre_calme(*m_morvine);
    QVERIFY2(!a.de_classe(u"QFileDialog"_s).existe(), "la fermeture redemande un enregistrement");
    QCOMPARE(sans_raccourcis(cadre(a).de_classe(u"QMenuBar"_s).elements()),
             (QStringList{u"Fichier"_s, u"Options"_s, u"Aide"_s}));
    QVERIFY(!cadre(a).controle(u"Enregistrer"_s).actif());

    // Une lettre UTF-8 se lit telle quelle ; ce qui est tapé s'y ajoute en
    // UTF-8, le reste octet pour octet.
    const QString utf8 = u"C:\\DOC\\UTF8.TXT"_s;
    QVERIFY(seconde_copie({utf8}));
    a = attendre([&](const Arbre& x) {
        return !dans_document(cadre(x), utf8, u"Text1"_s).texte().isEmpty();
    });
    QCOMPARE(dans_document(cadre(a), utf8, u"Text1"_s).texte(), u"Très bien\n"_s);
    QVERIFY(taper_a_la_fin(utf8, u"à bientôt"_s));
    QVERIFY(enregistrer_par_dessus(u"UTF8.TXT"_s, u"DOC/UTF8.TXT"_s, k_octets_utf8));
    QCOMPARE(p().contenu(u"DOC/UTF8.TXT"_s), k_octets_utf8 + "\xc3\xa0 bient\xc3\xb4t\n");
    QVERIFY(fermer_document(utf8));
}

void EssaiMorvine::convertir_dos_windows_puis_enregistrer() {
    QVERIFY(m_morvine);
    const QString dos = u"C:\\DOC\\DOS.TXT"_s;
    const QString windows = u"C:\\DOC\\WIN.TXT"_s;
    // Fichier/Ouvrir... : le nom est tapé dans le dialogue (chemin de l'hôte).
    QVERIFY(menu(u"Fichier"_s, u"Ouvrir..."_s));
    QVERIFY(dialogue_fichier(p().hote(u"DOC/DOS.TXT"_s), u"Ouvrir"_s));
    QVERIFY(attendre_document(dos));
    // Les octets DOS se montrent comme des caractères Windows-1252.
    Arbre a = attendre([&](const Arbre& x) {
        return !dans_document(cadre(x), dos, u"Text1"_s).texte().isEmpty();
    });
    QCOMPARE(dans_document(cadre(a), dos, u"Text1"_s).texte(),
             u"Caf\u201a gla\u2021on \u0015 fin\n"_s);

    QVERIFY(menu(u"Edition"_s, u"Convertir en ANSI"_s));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), dos, u"Text1"_s).texte().startsWith(u"Café"_s);
    });
    QCOMPARE(dans_document(cadre(a), dos, u"Text1"_s).texte(), u"Café glaçon § fin\n"_s);
    // Convertir ne touche pas au disque.
    QCOMPARE(p().contenu(u"DOC/DOS.TXT"_s), k_octets_dos);

    // Enregistrer sous un autre nom : les octets Windows sur le disque.
    QVERIFY(menu(u"Fichier"_s, u"Enregistrer Sous..."_s));
    QVERIFY(dialogue_fichier(u"WIN.TXT"_s, u"Enregistrer"_s));
    QVERIFY(Pilote::attendre([this] { return p().existe(u"DOC/WIN.TXT"_s); }));
    QVERIFY(Pilote::attendre([this] { return p().contenu(u"DOC/WIN.TXT"_s) == k_octets_windows; }));
    QCOMPARE(p().contenu(u"DOC/WIN.TXT"_s), k_octets_windows);
    QCOMPARE(p().contenu(u"DOC/DOS.TXT"_s), k_octets_dos);
    QVERIFY(attendre_document(windows));
    QCOMPARE(recents_ini().value(0), windows);

    // L'élément a changé de sens ; le second clic rend les octets DOS.
    QVERIFY(menu(u"Edition"_s, u"Convertir en ASCII"_s));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), windows, u"Text1"_s).texte().startsWith(u"Caf\u201a"_s);
    });
    QCOMPARE(dans_document(cadre(a), windows, u"Text1"_s).texte(),
             u"Caf\u201a gla\u2021on \u0015 fin\n"_s);
    QVERIFY(cliquer(cadre(a).controle(u"Enregistrer"_s)));
    QVERIFY(dialogue_fichier({}, u"Enregistrer"_s));
    QVERIFY(repondre(u"existe déjà"_s, u"Oui"_s));
    QVERIFY(Pilote::attendre([this] { return p().contenu(u"DOC/WIN.TXT"_s) == k_octets_dos; }));
    QCOMPARE(p().contenu(u"DOC/WIN.TXT"_s), k_octets_dos);
    QVERIFY(fermer_document(windows));
}

void EssaiMorvine::seconde_copie_transmet_ses_fichiers() {
    QVERIFY(m_morvine);
    const QString binaire = u"C:\\DOC\\DONNEES.BIN"_s;
    const QString avec_blanc = u"C:\\DOC\\MON FICHIER.TXT"_s;
    const qint64 premiere = m_morvine->pid();
    QVERIFY(vidages().isEmpty());
    // Le nom qui contient un blanc arrive entier.
    QVERIFY(seconde_copie({binaire, avec_blanc}));
    QVERIFY(m_morvine->en_vie());
    QCOMPARE(p().programmes(u"morvine"_s).size(), 1);
    QCOMPARE(p().programmes(u"morvine"_s).at(0)->pid(), premiere);
    Arbre a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), binaire, u"Dump"_s).nombre_elements() == 2 &&
               dans_document(cadre(x), avec_blanc, u"Text1"_s).texte().startsWith(u"Un nom"_s);
    });
    QCOMPARE(dans_document(cadre(a), avec_blanc, u"Text1"_s).texte(), u"Un nom avec un blanc.\n"_s);
    const Controle dump = dans_document(cadre(a), binaire, u"Dump"_s);
    QCOMPARE(dump.nombre_elements(), 2);
    QCOMPARE(dump.elements().at(0),
             u"00000: 4D 4F 52 56 49 4E 45 2C - 20 76 69 64 61 67 65 09  MORVINE. vidage. "_s);
    QCOMPARE(dump.elements().at(1), u"00010: 00 FF 7E 20 "_s.leftJustified(57, u' ') + u" ..~  "_s);
    // Le vidage a son fichier temporaire tant que sa fenêtre est ouverte,
    // hors de l'unité de l'utilisateur.
    const QStringList temporaires = vidages_ouverts(premiere);
    QCOMPARE(temporaires.size(), 1);
    QVERIFY(QFileInfo::exists(temporaires.first()));
    QVERIFY(!temporaires.first().startsWith(p().hote()));
    QVERIFY(vidages().isEmpty());
    QVERIFY(recents_ini().mid(0, 2) == (QStringList{avec_blanc, binaire}));

    // Un tube passé de même est refusé sur-le-champ ; la première copie
    // n'attend pas un écrivain qui ne viendra jamais.
    const QString tube = p().hote(u"DOC/TUBE.TXT"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    QProcess* troisieme = p().lancer(u"morvine"_s, {u"ovl"_s, u"C:\\DOC\\TUBE.TXT"_s});
    QVERIFY(troisieme &&
            (troisieme->state() == QProcess::NotRunning || troisieme->waitForFinished(15000)));
    QVERIFY(repondre(u"Ne peut ouvrir le fichier C:\\DOC\\TUBE.TXT"_s, u"OK"_s));
    QCOMPARE(titres_documents(cadre(arbre())), (QStringList{binaire, avec_blanc}));
    QVERIFY(QFile::remove(tube));

    QVERIFY(fermer_document(avec_blanc));
    QVERIFY(p().capture(*m_morvine, k_cadre, u"morvine_vidage"_s).size() > 0);
    QVERIFY(fermer_document(binaire));
    // Fermer la fenêtre supprime aussitôt son vidage.
    QVERIFY(Pilote::attendre([&] { return !QFileInfo::exists(temporaires.first()); }));
    QVERIFY(vidages_ouverts(premiere).isEmpty());
    QCOMPARE(p().contenu(u"DOC/DONNEES.BIN"_s), QByteArray("MORVINE, vidage\t\x00\xff~ ", 20));
}

void EssaiMorvine::table_dbase_et_image() {
    QVERIFY(m_morvine);
    const QString table = u"C:\\DOC\\CLIENTS.DBF"_s;
    const QString image = u"C:\\DOC\\DESSIN.BMP"_s;
    const QByteArray octets_table = p().contenu(u"DOC/CLIENTS.DBF"_s);
    QVERIFY(seconde_copie({table}));
    Arbre a = attendre(
        [&](const Arbre& x) { return dans_document(cadre(x), table, u"Grille1"_s).lignes() == 2; });
    const Controle grille = dans_document(cadre(a), table, u"Grille1"_s);
    // Les noms des champs en en-tête des colonnes, les numéros en en-tête
    // des lignes ; deux fiches : l'effacée est sautée.
    QCOMPARE(grille.lignes(), 2);
    QCOMPARE(grille.colonnes(), 4);
    QCOMPARE(grille.entetes(), (QStringList{u"NOM"_s, u"NE_LE"_s, u"ACTIF"_s, u"VILLE"_s}));
    QCOMPARE(entete_grille(cadre(a), table, u"horizontale"_s).elements(), grille.entetes());
    QCOMPARE(entete_grille(cadre(a), table, u"verticale"_s).elements(),
             (QStringList{u"1"_s, u"2"_s}));
    const QStringList attendu[] = {
        {u"Hélène    "_s, u"15/03/98"_s, u"VRAI"_s, u"Paris   "_s},
        {u"Martin    "_s, u"31/12/01"_s, u"FAUX"_s, u"Lyon    "_s},
    };
    for (int l = 0; l < 2; ++l) {
        for (int c = 0; c < 4; ++c)
            QCOMPARE(grille.cellule(l, c), attendu[l][c]);
    }
    // Sans édition ni recherche pour une table.
    const QStringList menus = sans_raccourcis(cadre(a).de_classe(u"QMenuBar"_s).elements());
    QVERIFY(menus.contains(u"Edition"_s));
    for (const QJsonValue v :
         cadre(a).de_classe(u"QMenuBar"_s).json().value(u"elements"_s).toArray()) {
        const QString t = v.toObject().value(u"texte"_s).toString().remove(u'&');
        if (t == u"Edition"_s || t == u"Recherche"_s)
            QVERIFY2(!v.toObject().value(u"actif"_s).toBool(), qPrintable(t));
    }
    QVERIFY(!p().capture(*m_morvine, k_cadre, u"morvine_dbase"_s).isEmpty());
    QVERIFY(fermer_document(table));
    QCOMPARE(p().contenu(u"DOC/CLIENTS.DBF"_s), octets_table);

    // Une grande table, menée au clavier à sa dernière cellule : les noms des
    // champs et les numéros des fiches restent à l'écran, et suivent.
    const QString grande = u"C:\\DOC\\GRANDE.DBF"_s;
    QVERIFY(seconde_copie({grande}));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), grande, u"Grille1"_s).lignes() == k_fiches_grande;
    });
    QVERIFY(cliquer(dans_document(cadre(a), grande, u"Grille1"_s)));
    Pilote::attendre_calme(*m_morvine);
    QVERIFY(p().touche(u"ctrl+End"_s));
    a = attendre([&](const Arbre& x) {
        const QJsonObject g = dans_document(cadre(x), grande, u"Grille1"_s).json();
        return g.value(u"premiere_ligne"_s).toInt() > 0 &&
               g.value(u"premiere_colonne"_s).toInt() > 0;
    });
    const Controle defilee = dans_document(cadre(a), grande, u"Grille1"_s);
    const int ligne = defilee.json().value(u"premiere_ligne"_s).toInt();
    const int colonne = defilee.json().value(u"premiere_colonne"_s).toInt();
    QVERIFY2(ligne > 0 && colonne > 0, "la table n'a pas défilé");
    const Controle noms = entete_grille(cadre(a), grande, u"horizontale"_s);
    const Controle numeros = entete_grille(cadre(a), grande, u"verticale"_s);
    QVERIFY2(noms.existe() && numeros.existe(), qPrintable(cadre(a).textes()));
    // En haut et à gauche de la grille, montrant ce qui est dessous.
    QVERIFY(noms.geometrie().top() - defilee.geometrie().top() < 10);
    QVERIFY(numeros.geometrie().left() - defilee.geometrie().left() < 10);
    QCOMPARE(noms.elements().value(0), u"CHAMP%1"_s.arg(colonne + 1));
    QCOMPARE(noms.elements().last(), u"CHAMP%1"_s.arg(k_champs_grande));
    QCOMPARE(numeros.elements().value(0), QString::number(ligne + 1));
    QCOMPARE(numeros.elements().last(), QString::number(k_fiches_grande));
    QVERIFY(fermer_document(grande));

    QVERIFY(seconde_copie({image}));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), image, u"Image1"_s).json().contains(u"image"_s);
    });
    const QJsonArray taille =
        dans_document(cadre(a), image, u"Image1"_s).json().value(u"image"_s).toArray();
    QCOMPARE(taille.at(0).toInt(), 160);
    QCOMPARE(taille.at(1).toInt(), 96);
    QVERIFY(!p().capture(*m_morvine, k_cadre, u"morvine_image"_s).isEmpty());
    QVERIFY(fermer_document(image));

    // Hors de la table des types, le contenu décide : un PNG est une image,
    // un CSV et un README sans extension sont des textes.
    const QString png = u"C:\\DOC\\PHOTO.PNG"_s;
    const QString csv = u"C:\\DOC\\COMPTES.CSV"_s;
    const QString lisez = u"C:\\DOC\\README"_s;
    QVERIFY(seconde_copie({png}));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), png, u"Image1"_s).json().contains(u"image"_s);
    });
    const QJsonArray taille_png =
        dans_document(cadre(a), png, u"Image1"_s).json().value(u"image"_s).toArray();
    QCOMPARE(taille_png.at(0).toInt(), 160);
    QCOMPARE(taille_png.at(1).toInt(), 96);
    QVERIFY(fermer_document(png));
    const std::pair<QString, QString> textes[] = {{csv, u"nom;ville\nHélène;Paris\n"_s},
                                                  {lisez, u"Lisez-moi\n"_s}};
    for (const auto& paire : textes) {
        // Pas de liaison structurée : clang 14 ne la laisse pas capturer.
        const QString& titre = paire.first;
        const QString& montre = paire.second;
        QVERIFY(seconde_copie({titre}));
        a = attendre([&](const Arbre& x) {
            return !dans_document(cadre(x), titre, u"Text1"_s).texte().isEmpty();
        });
        QCOMPARE(dans_document(cadre(a), titre, u"Text1"_s).texte(), montre);
        QVERIFY(fermer_document(titre));
    }

    // EDITER (le commutateur d'édition) ouvre même une image en texte
    // modifiable, octets en Windows-1252 (0x89 : « ‰ »).
    QProcess* edition = p().lancer(u"morvine"_s, {u"--editer"_s, png});
    QVERIFY(edition &&
            (edition->state() == QProcess::NotRunning || edition->waitForFinished(15000)));
    a = attendre([&](const Arbre& x) {
        return dans_document(cadre(x), png, u"Text1"_s).texte().startsWith(u"‰PNG"_s);
    });
    QVERIFY2(dans_document(cadre(a), png, u"Text1"_s).texte().startsWith(u"‰PNG"_s),
             qPrintable(a.textes()));
    QVERIFY(cadre(a).controle(u"Enregistrer"_s).actif());
    QVERIFY(fermer_document(png));
}

void EssaiMorvine::fichiers_recents_apres_reouverture() {
    QVERIFY(m_morvine);
    // Les huit derniers.
    const QStringList attendus{u"C:\\DOC\\README"_s,          u"C:\\DOC\\COMPTES.CSV"_s,
                               u"C:\\DOC\\PHOTO.PNG"_s,       u"C:\\DOC\\DESSIN.BMP"_s,
                               u"C:\\DOC\\GRANDE.DBF"_s,      u"C:\\DOC\\CLIENTS.DBF"_s,
                               u"C:\\DOC\\MON FICHIER.TXT"_s, u"C:\\DOC\\DONNEES.BIN"_s};
    QCOMPARE(recents_ini(), attendus);
    // Le cadre les montre déjà ; Quitter ferme le programme.
    QVERIFY(menu(u"Fichier"_s, u"Quitter"_s));
    // La boucle d'événements de l'essai a pu voir la fin avant l'attente.
    const bool fini =
        m_processus->state() == QProcess::NotRunning || m_processus->waitForFinished(10000);
    if (!fini) {
        QStringList fenetres;
        for (const Fenetre& f : arbre().fenetres())
            fenetres << f.classe() + u' ' + f.nom() + u' ' + f.titre();
        QFAIL(qPrintable(u"MORVINE ne s'arrête pas ; fenêtres : "_s + fenetres.join(u" | "_s)));
    }
    QCOMPARE(m_processus->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_processus->exitCode(), 0);
    QVERIFY(vidages().isEmpty());
    QCOMPARE(recents_ini(), attendus);

    // Une police de base choisie dans MORVINE.INI.
    QVERIFY(valeur_ini(u"Options"_s, u"Police de base"_s).isEmpty());
    QFile ini(QDir(p().repertoire_programme()).filePath(u"MORVINE.INI"_s));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[Options]\r\nPolice de base=Courier New\r\n");
    ini.close();

    // Réouverture sans fichier : la configuration enregistrée avant tout
    // document garde la police de base que le démarrage a lue.
    QVERIFY2(lancer({}), "MORVINE ne redémarre pas");
    Arbre a = attendre([](const Arbre& x) {
        return cadre(x).de_classe(u"QMenuBar"_s).zone_element(u"Fichier"_s).has_value();
    });
    QVERIFY(titres_documents(cadre(a)).isEmpty());
    QVERIFY(menu(u"Options"_s, u"Enregistrer la configuration"_s));
    QVERIFY(
        Pilote::attendre([this] { return valeur_ini(u"Options"_s, u"Boutons"_s) == u"Oui"_s; }));
    QVERIFY(!valeur_ini(u"Options"_s, u"Largeur"_s).trimmed().isEmpty());
    QCOMPARE(valeur_ini(u"Options"_s, u"Police de base"_s), u"Courier New"_s);
    QCOMPARE(recents_ini(), attendus);

    // Le menu Fichier du cadre montre les récents, dans l'ordre.
    a = Pilote::attendre_calme(*m_morvine);
    QVERIFY(p().cliquer_element(cadre(a).de_classe(u"QMenuBar"_s), u"Fichier"_s));
    a = attendre([&](const Arbre& x) { return menu_ouvert(x, attendus.first()).existe(); });
    const QStringList elements = sans_raccourcis(menu_ouvert(a, attendus.first()).elements());
    QCOMPARE(elements, QStringList({u"Nouveau"_s, u"Ouvrir..."_s, u"Quitter"_s}) + attendus);

    // Un récent se rouvre ; l'ordre de la liste ne change pas.
    const QString recent = u"C:\\DOC\\MON FICHIER.TXT"_s;
    QVERIFY(p().cliquer_element(menu_ouvert(a, attendus.first()), recent));
    QVERIFY(attendre_document(recent));
    a = attendre([&](const Arbre& x) {
        return !dans_document(cadre(x), recent, u"Text1"_s).texte().isEmpty();
    });
    QCOMPARE(dans_document(cadre(a), recent, u"Text1"_s).texte(), u"Un nom avec un blanc.\n"_s);
    QCOMPARE(recents_ini(), attendus);

    // Tué pendant qu'un vidage est ouvert, MORVINE laisse son fichier ; le
    // démarrage suivant le retire, avec son répertoire.
    QVERIFY(seconde_copie({u"C:\\DOC\\DONNEES.BIN"_s}));
    const QStringList laisses = vidages_ouverts(m_morvine->pid());
    QCOMPARE(laisses.size(), 1);
    m_processus->kill();
    QVERIFY(m_processus->waitForFinished(10000));
    QVERIFY(QFileInfo::exists(laisses.first()));
    QVERIFY2(lancer({}), "MORVINE ne redémarre pas après avoir été tué");
    QVERIFY(!QFileInfo::exists(laisses.first()));
    QVERIFY(!QFileInfo::exists(QFileInfo(laisses.first()).path()));
}

// Au clavier : Ctrl+N, le texte tapé, Ctrl+S par le dialogue ; Ctrl+O,
// Ctrl+Tab, le menu Fenêtres et sa liste, Ctrl+W.
void EssaiMorvine::documents_au_clavier_et_menu_fenetres() {
    QVERIFY(m_morvine);
    Arbre a = attendre([](const Arbre& x) { return titres_documents(cadre(x)).isEmpty(); });
    QVERIFY(p().focaliser(cadre(a)));
    QVERIFY(p().touche(u"ctrl+n"_s));
    const QString neuf = u"SansTitre1"_s;
    QVERIFY(attendre_document(neuf));
    QVERIFY(taper_a_la_fin(neuf, u"Ecrit au clavier"_s));
    QVERIFY(p().touche(u"ctrl+s"_s));
    QVERIFY(dialogue_fichier(p().hote(u"DOC/CLAVIER.TXT"_s), u"Enregistrer"_s));
    QVERIFY(Pilote::attendre([this] { return p().existe(u"DOC/CLAVIER.TXT"_s); }));
    QVERIFY(Pilote::attendre(
        [this] { return p().contenu(u"DOC/CLAVIER.TXT"_s) == "Ecrit au clavier\r\n"; }));
    const QString clavier = u"C:\\DOC\\CLAVIER.TXT"_s;
    QVERIFY(attendre_document(clavier));

    // Ctrl+O : le dialogue d'ouverture, puis une lettre.
    // Sans gestionnaire de fenêtres, le focus ne revient pas seul au cadre.
    a = attendre([](const Arbre& x) { return !x.de_classe(u"QFileDialog"_s).existe(); });
    QVERIFY(p().focaliser(cadre(a)));
    QVERIFY(p().touche(u"ctrl+o"_s));
    QVERIFY(dialogue_fichier(p().hote(u"DOC/DOS.TXT"_s), u"Ouvrir"_s));
    const QString dos = u"C:\\DOC\\DOS.TXT"_s;
    QVERIFY(attendre_document(dos));
    a = attendre([](const Arbre& x) { return !x.de_classe(u"QFileDialog"_s).existe(); });
    QVERIFY(p().focaliser(cadre(a)));
    a = attendre([&](const Arbre& x) { return document_actif(cadre(x)) == dos; });
    QCOMPARE(document_actif(cadre(a)), dos);

    // Ctrl+Tab : du dernier document au premier.
    QVERIFY(p().touche(u"ctrl+Tab"_s));
    a = attendre([&](const Arbre& x) { return document_actif(cadre(x)) == clavier; });
    QCOMPARE(document_actif(cadre(a)), clavier);
    // Ctrl+Maj+Tab revient au précédent, Ctrl+Tab de nouveau au suivant.
    for (const auto& pas :
         {std::pair{u"ctrl+shift+Tab"_s, dos}, std::pair{u"ctrl+Tab"_s, clavier}}) {
        const QString& attendu = pas.second;
        QVERIFY(p().touche(pas.first));
        a = attendre([&](const Arbre& x) { return document_actif(cadre(x)) == attendu; });
        QCOMPARE(document_actif(cadre(a)), attendu);
    }

    // Le menu Fenêtres liste les documents, l'actif coché ; en choisir un l'active.
    Controle barre = cadre(a).de_classe(u"QMenuBar"_s);
    QVERIFY(p().cliquer_element(barre, u"Fenêtres"_s));
    const QString element_dos = u"2 "_s + dos;
    a = attendre([&](const Arbre& x) { return menu_ouvert(x, element_dos).existe(); });
    const Fenetre liste = menu_ouvert(a, element_dos);
    QVERIFY2(liste.existe(), qPrintable(a.textes()));
    const QStringList elements = sans_raccourcis(liste.elements());
    QCOMPARE(elements.mid(elements.size() - 2), (QStringList{u"1 "_s + clavier, element_dos}));
    QCOMPARE(coches(liste), QStringList{u"1 "_s + clavier});
    QVERIFY(p().cliquer_element(liste, element_dos));
    a = attendre([&](const Arbre& x) { return document_actif(cadre(x)) == dos; });
    QCOMPARE(document_actif(cadre(a)), dos);

    // Ctrl+W ferme le document actif, sans question (il n'est pas modifié).
    QVERIFY(p().touche(u"ctrl+w"_s));
    a = attendre(
        [&](const Arbre& x) { return titres_documents(cadre(x)) == QStringList{clavier}; });
    QCOMPARE(titres_documents(cadre(a)), QStringList{clavier});
    QCOMPARE(p().contenu(u"DOC/DOS.TXT"_s), k_octets_dos);
    QCOMPARE(p().contenu(u"DOC/CLAVIER.TXT"_s), QByteArray("Ecrit au clavier\r\n"));
}

// Sur un écran de 800 × 600, une place enregistrée qui en déborde est
// ramenée dedans ; la mosaïque garde chaque document dans le cadre, les
// vidages (de taille fixe) compris.
void EssaiMorvine::petit_ecran_et_mosaique() {
    Pilote q(QSize(800, 600));
    QString raison;
    QVERIFY2(q.demarrer(&raison), qPrintable(raison));
    q.creer_fichier(
        u"KALDRON/MORVINE.INI"_s,
        "[Options]\r\nHaut= 3000\r\nGauche= 4500\r\nLargeur= 12000\r\nHauteur= 9000\r\n");
    QStringList noms{u"C:\\DOC\\T.TXT"_s};
    q.creer_fichier(u"DOC/T.TXT"_s, "petit\r\n");
    for (const QString& n : {u"V1"_s, u"V2"_s, u"V3"_s}) {
        q.creer_fichier(u"DOC/"_s + n + u".BIN"_s, QByteArray(300, '\0'));
        noms << u"C:\\DOC\\"_s + n + u".BIN"_s;
    }
    QVERIFY(q.lancer(u"morvine"_s, QStringList{u"ovl"_s} + noms));
    const auto m = q.attendre_programme(u"morvine"_s);
    QVERIFY(m);
    Arbre a = Pilote::attendre_arbre(
        *m, [](const Arbre& x) { return titres_documents(cadre(x)).size() == 4; });
    QCOMPARE(titres_documents(cadre(a)).size(), 4);
    const QRect ecran(0, 0, 800, 600);
    QVERIFY2(ecran.contains(cadre(a).geometrie()),
             qPrintable(u"cadre en %1,%2 de %3 × %4"_s.arg(cadre(a).geometrie().x())
                            .arg(cadre(a).geometrie().y())
                            .arg(cadre(a).geometrie().width())
                            .arg(cadre(a).geometrie().height())));

    Controle barre = cadre(a).de_classe(u"QMenuBar"_s);
    QVERIFY(q.cliquer_element(barre, u"Fenêtres"_s));
    a = Pilote::attendre_arbre(
        *m, [](const Arbre& x) { return menu_ouvert(x, u"Mosaïque"_s).existe(); });
    QVERIFY(q.cliquer_element(menu_ouvert(a, u"Mosaïque"_s), u"Mosaïque"_s));
    a = Pilote::attendre_arbre(
        *m, [](const Arbre& x) { return !menu_ouvert(x, u"Mosaïque"_s).existe(); });
    a = Pilote::attendre_calme(*m);
    const QRect zone = cadre(a).de_classe(u"QMdiArea"_s).geometrie();
    QVERIFY(zone.isValid());
    for (const Controle& c : cadre(a).controles()) {
        if (c.classe() == u"QMdiSubWindow"_s)
            QVERIFY2(zone.contains(c.geometrie()),
                     qPrintable(c.json().value(u"titre"_s).toString() + u" hors du cadre"_s));
    }
}

QTEST_GUILESS_MAIN(EssaiMorvine)
#include "test_e2e_morvine.moc"
