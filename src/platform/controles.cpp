#include "platform/controles.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/motifs.h"
#include "platform/unites.h"

#include <QAccessible>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>
#include <QStyle>
#include <algorithm>
#include <sys/stat.h>

namespace plateforme {

namespace {

constexpr int ROLE_CHEMIN = Qt::UserRole; // chemin DOS ou nom réel de l'entrée

// Le répertoire de l'hôte est montré en entier, comme l'était le nom de volume.
QString texte_unite(const Unite& u) {
    return QString(u.lettre.toLower()) + QStringLiteral(": [") + u.repertoire + QLatin1Char(']');
}

bool est_entree(const QKeyEvent* e) {
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

// Chemin DOS avec la casse du disque, quand l'hôte le rend sur la même unité.
QString casse_du_disque(const QString& absolu) {
    try {
        const std::optional<QString> dos = hote_vers_dos(dos_vers_hote(absolu));
        if (dos && !dos->isEmpty() && dos->at(0).toUpper() == absolu.at(0).toUpper())
            return *dos;
    } catch (const ErreurExecution&) {
    }
    return absolu;
}

// "C:\A\B" -> "C:\", "C:\A", "C:\A\B".
QStringList ancetres(const QString& chemin) {
    QStringList liste{chemin.left(3)};
    QString courant = chemin.left(2);
    for (const QString& nom : chemin.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        courant += QLatin1Char('\\') + nom;
        liste << courant;
    }
    return liste;
}

QListWidgetItem* entree_repertoire(const QString& chemin, const QString& nom, int niveau,
                                   bool ouvert, const QStyle* style) {
    auto* item = new QListWidgetItem(QString(2 * qsizetype(niveau), QLatin1Char(' ')) + nom);
    item->setIcon(style->standardIcon(ouvert ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    item->setData(ROLE_CHEMIN, chemin);
    return item;
}

// Ordre des listes lues du disque : sans égard à la casse, puis avec.
bool nom_avant(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool motif_correspond_liste(const QString& nom, const QString& motif) {
    try {
        return motif_dos_correspond(nom, motif);
    } catch (const ErreurExecution&) {
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------- unités

ListeUnites::ListeUnites(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_remplissage)
            emit driveChanged();
    });
    rafraichir();
    m_remplissage = true;
    try {
        setCurrentIndex(std::max(index_de(unite_courante()), currentIndex()));
    } catch (const ErreurExecution&) {
        // pas d'unité courante : la première de la liste reste choisie
    }
    m_remplissage = false;
}

QString ListeUnites::drive() const {
    return currentText();
}

QChar ListeUnites::lettre_courante() const {
    return currentData().toChar();
}

int ListeUnites::index_de(QChar lettre) const {
    for (int i = 0; i < count(); ++i)
        if (itemData(i).toChar() == lettre.toUpper())
            return i;
    return -1;
}

void ListeUnites::setDrive(const QString& unite) {
    const QString t = unite.trimmed();
    if (t.isEmpty() || !t.at(0).isLetter() || (t.size() > 1 && t.at(1) != QLatin1Char(':')))
        lever(ERR_PERIPHERIQUE_ABSENT);
    int i = index_de(t.at(0));
    if (i < 0) { // la table a pu changer depuis le remplissage
        rafraichir();
        i = index_de(t.at(0));
    }
    if (i < 0)
        lever(ERR_PERIPHERIQUE_ABSENT);
    setCurrentIndex(i); // émet driveChanged si l'unité change
}

void ListeUnites::rafraichir() {
    const QChar avant = lettre_courante();
    m_remplissage = true;
    clear();
    for (const Unite& u : TableUnites::instance().unites())
        addItem(texte_unite(u), QVariant(u.lettre));
    setCurrentIndex(std::max(index_de(avant), count() > 0 ? 0 : -1));
    m_remplissage = false;
    if (!avant.isNull() && lettre_courante() != avant)
        emit driveChanged();
}

void ListeUnites::keyPressEvent(QKeyEvent* e) {
    if (!est_entree(e))
        return QComboBox::keyPressEvent(e);
    e->accept();
    emit enterPressed();
}

// ----------------------------------------------------------- répertoires

ListeRepertoires::ListeRepertoires(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    try {
        setPath(repertoire_courant());
    } catch (const ErreurExecution&) {
        // unité courante absente : la liste reste vide jusqu'au premier setPath
    }
}

QString ListeRepertoires::path() const {
    return m_chemin;
}

void ListeRepertoires::setPath(const QString& chemin_dos) {
    const QString absolu = casse_du_disque(chemin_dos_absolu(chemin_dos));
    if (!est_repertoire(absolu))
        lever(est_repertoire(absolu.left(3)) ? ERR_CHEMIN_INTROUVABLE : ERR_DISQUE_PAS_PRET);
    const QStringList sous = lire(absolu);
    const bool change = absolu != m_chemin;
    m_chemin = absolu;
    remplir(sous);
    if (change)
        emit pathChanged();
}

void ListeRepertoires::rafraichir() {
    if (m_chemin.isEmpty())
        return;
    const QString curseur = cheminSousCurseur();
    remplir(lire(m_chemin));
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(ROLE_CHEMIN).toString() == curseur)
            setCurrentRow(i);
}

QStringList ListeRepertoires::lire(const QString& chemin) {
    if (m_lecture_unique > 0 && !m_lu.isEmpty() && m_lu == chemin && m_lus_caches == m_caches)
        return m_lus;
    QStringList sous = lister_repertoires(chemin, m_caches);
    if (m_lecture_unique > 0) {
        m_lu = chemin;
        m_lus = sous;
        m_lus_caches = m_caches;
    }
    return sous;
}

ListeRepertoires::LectureUnique::LectureUnique(ListeRepertoires* liste) : m_liste(liste) {
    ++m_liste->m_lecture_unique;
}

ListeRepertoires::LectureUnique::~LectureUnique() {
    if (--m_liste->m_lecture_unique == 0) {
        m_liste->m_lu.clear();
        m_liste->m_lus.clear();
    }
}

void ListeRepertoires::setHidden(bool caches) {
    if (caches == m_caches)
        return;
    m_caches = caches;
    rafraichir();
}

QStringList ListeRepertoires::sousRepertoires() const {
    return m_sous;
}

QString ListeRepertoires::cheminEn(const QPoint& p) const {
    const QListWidgetItem* i = itemAt(p);
    return i ? i->data(ROLE_CHEMIN).toString() : QString();
}

QString ListeRepertoires::cheminSousCurseur() const {
    const QListWidgetItem* i = currentItem();
    return i ? i->data(ROLE_CHEMIN).toString() : QString();
}

// Ancêtres depuis la racine, le répertoire lui-même, puis ses sous-répertoires.
void ListeRepertoires::remplir(const QStringList& sous_repertoires) {
    clear();
    m_sous.clear();
    const QStringList hauts = ancetres(m_chemin);
    for (int n = 0; n < hauts.size(); ++n) {
        const QString nom = n == 0 ? chemin_montre(hauts[n]) : dernier_composant(hauts[n]);
        addItem(entree_repertoire(hauts[n], nom, n, true, style()));
    }
    for (const QString& nom : sous_repertoires) {
        m_sous << joindre(m_chemin, nom);
        addItem(entree_repertoire(m_sous.last(), nom, int(hauts.size()), false, style()));
    }
    setCurrentRow(int(hauts.size()) - 1);
}

void ListeRepertoires::activer(const QString& chemin) {
    if (chemin.isEmpty() || chemin == m_chemin)
        return;
    try {
        setPath(chemin);
    } catch (const ErreurExecution& e) {
        emit errorRaised(e.numero(), e.description());
    }
}

void ListeRepertoires::mousePressEvent(QMouseEvent* e) {
    QListWidget::mousePressEvent(e);
    m_chemin_presse = itemAt(e->position().toPoint()) ? cheminSousCurseur() : QString();
}

void ListeRepertoires::mouseReleaseEvent(QMouseEvent* e) {
    QListWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && itemAt(e->position().toPoint()))
        emit clicked();
}

// L'entrée visée est celle du premier clic : celui-ci a pu déjà changer la liste.
void ListeRepertoires::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        activer(m_chemin_presse);
}

void ListeRepertoires::keyPressEvent(QKeyEvent* e) {
    if (!est_entree(e))
        return QListWidget::keyPressEvent(e);
    e->accept();
    activer(cheminSousCurseur());
}

// -------------------------------------------------------------- fichiers

ListeFichiers::ListeFichiers(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Toutes les lignes ont la même hauteur : la mise en page reste rapide.
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_interne)
            ++m_changements;
        if (!m_relecture)
            emit selectionModifiee();
    });
    try {
        setPath(repertoire_courant());
    } catch (const ErreurExecution&) {
        // liste vide jusqu'au premier setPath
    }
}

QString ListeFichiers::path() const {
    return m_chemin;
}
QString ListeFichiers::pattern() const {
    return m_motif;
}

QStringList ListeFichiers::lire(const QString& chemin, const QString& motif, bool caches,
                                bool systeme) {
    if (chemin.isEmpty())
        return {};
    // "." ne reconnaît aucun nom (ni point ni caractère) : rien à lire.
    if (motif == QStringLiteral("."))
        return {};
    if (m_lecture_unique > 0 && m_derniere && m_derniere->chemin == chemin &&
        m_derniere->motif == motif && m_derniere->caches == caches &&
        m_derniere->systeme == systeme)
        return m_derniere->noms;
    const unsigned attributs =
        ATTR_NORMAL | (caches ? ATTR_CACHE : 0u) | (systeme ? ATTR_SYSTEME : 0u);
    // La liste n'affiche que les noms : ni taille ni date à lire.
    QStringList noms = lister_noms_fichiers(chemin, motif, attributs);
    if (m_lecture_unique > 0)
        m_derniere = Lecture{chemin, motif, caches, systeme, noms};
    return noms;
}

ListeFichiers::LectureUnique::LectureUnique(ListeFichiers* liste) : m_liste(liste) {
    ++m_liste->m_lecture_unique;
}

ListeFichiers::LectureUnique::~LectureUnique() {
    if (--m_liste->m_lecture_unique == 0)
        m_liste->m_derniere.reset();
}

void ListeFichiers::setPath(const QString& chemin_dos) {
    const QString absolu = casse_du_disque(chemin_dos_absolu(chemin_dos));
    if (!est_repertoire(absolu))
        lever(est_repertoire(absolu.left(3)) ? ERR_CHEMIN_INTROUVABLE : ERR_DISQUE_PAS_PRET);
    const QStringList entrees = lire(absolu, m_motif, m_caches, m_systeme);
    const bool change = absolu != m_chemin;
    m_chemin = absolu;
    remplir(entrees, !change);
    if (change)
        emit pathChanged();
}

// Le motif est vérifié avant tout changement : refusé, rien ne bouge.
void ListeFichiers::setPattern(const QString& motif) {
    verifier_motif_dos(motif);
    const QStringList entrees = lire(m_chemin, motif, m_caches, m_systeme);
    const bool change = motif != m_motif;
    m_motif = motif;
    remplir(entrees, true);
    if (change)
        emit patternChanged();
}

void ListeFichiers::setHidden(bool caches) {
    if (caches == m_caches)
        return;
    remplir(lire(m_chemin, m_motif, caches, m_systeme), true);
    m_caches = caches;
}

void ListeFichiers::setSystem(bool systeme) {
    if (systeme == m_systeme)
        return;
    remplir(lire(m_chemin, m_motif, m_caches, systeme), true);
    m_systeme = systeme;
}

void ListeFichiers::rafraichir() {
    remplir(lire(m_chemin, m_motif, m_caches, m_systeme), true);
}

void ListeFichiers::remplir(const QStringList& noms, bool garder_selection) {
    if (memes_noms(noms)) {
        // Rien à refaire : seule la sélection se perd, si elle ne se garde pas.
        if (!garder_selection && selectionModel()->hasSelection()) {
            m_interne = true;
            m_relecture = true;
            clearSelection();
            m_relecture = false;
            m_interne = false;
            emit selectionModifiee();
        }
        if (!garder_selection)
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const QStringList avant = choisis();
    const QSet<QString> gardes =
        garder_selection ? QSet<QString>(avant.begin(), avant.end()) : QSet<QString>();
    const QString courant = listIndex() >= 0 ? list(listIndex()) : QString();
    m_interne = true;
    m_relecture = true;
    clear();
    // Tous les noms en une insertion : la vue n'est prévenue qu'une fois, et
    // aucune donnée n'est posée sur une entrée déjà rattachée (elle y
    // chercherait sa ligne, remplissage quadratique). Le texte est le nom.
    addItems(noms);
    // La sélection gardée revient en un seul changement, par plages.
    QItemSelection choix;
    int courant_ligne = -1;
    const int n = int(noms.size());
    for (int i = 0; i < n; ++i) {
        if (garder_selection && courant_ligne < 0 && noms[i] == courant)
            courant_ligne = i;
        if (!gardes.contains(noms[i]))
            continue;
        int fin = i;
        while (fin + 1 < n && gardes.contains(noms[fin + 1]))
            ++fin;
        choix.select(model()->index(i, 0), model()->index(fin, 0));
        while (i < fin) {
            ++i;
            if (garder_selection && courant_ligne < 0 && noms[i] == courant)
                courant_ligne = i;
        }
    }
    if (!choix.isEmpty())
        selectionModel()->select(choix, QItemSelectionModel::Select);
    if (courant_ligne >= 0)
        selectionModel()->setCurrentIndex(model()->index(courant_ligne, 0),
                                          QItemSelectionModel::NoUpdate);
    m_relecture = false;
    m_interne = false;
    // clear() perd la sélection sans toujours le dire : on compare les noms.
    if (choisis() != avant)
        emit selectionModifiee();
}

bool ListeFichiers::memes_noms(const QStringList& noms) const {
    if (noms.size() != count() || noms.isEmpty())
        return false;
    for (int i = 0; i < count(); ++i)
        if (item(i)->text() != noms.at(i) || item(i)->data(ROLE_CHEMIN).isValid())
            return false;
    return true;
}

// Dans l'ordre des lignes, en une lecture du modèle de sélection.
QStringList ListeFichiers::choisis() const {
    QModelIndexList indices = selectionModel()->selectedIndexes();
    std::sort(indices.begin(), indices.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList noms;
    noms.reserve(indices.size());
    for (const QModelIndex& i : indices)
        noms.append(list(i.row()));
    return noms;
}

QString ListeFichiers::list(int i) const {
    const QListWidgetItem* e = item(i);
    if (!e)
        return {};
    const QVariant nom = e->data(ROLE_CHEMIN);
    return nom.isValid() ? nom.toString() : e->text();
}

bool ListeFichiers::selected(int i) const {
    const QListWidgetItem* e = item(i);
    return e && e->isSelected();
}

// Une entrée choisie à côté d'une plage choisie agrandit cette plage : les
// entrées choisies une à une (pas à pas sur toute la liste) restent une
// seule plage, et chaque choix ne coûte pas en proportion des précédents.
void ListeFichiers::setSelected(int i, bool choisi) {
    if (!item(i))
        return;
    m_interne = true;
    int haut = i;
    int bas = i;
    if (choisi) {
        for (const QItemSelectionRange& plage : selectionModel()->selection()) {
            if (plage.bottom() == i - 1)
                haut = plage.top();
            if (plage.top() == i + 1)
                bas = plage.bottom();
        }
    }
    selectionModel()->select(QItemSelection(model()->index(haut, 0), model()->index(bas, 0)),
                             choisi ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    m_interne = false;
}

void ListeFichiers::setSelectedRows(const QList<int>& lignes, bool choisi) {
    QItemSelection choix;
    for (const int i : lignes)
        if (i >= 0 && i < count())
            choix.select(model()->index(i, 0), model()->index(i, 0));
    if (choix.isEmpty())
        return;
    m_interne = true;
    selectionModel()->select(choix,
                             choisi ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    m_interne = false;
}

// Même ordre que la lecture du disque : sans égard à la casse, puis avec.
int ListeFichiers::indexDe(const QString& nom) const {
    int bas = 0;
    int haut = count();
    while (bas < haut) {
        const int milieu = bas + (haut - bas) / 2;
        if (nom_avant(list(milieu), nom))
            bas = milieu + 1;
        else
            haut = milieu;
    }
    return bas < count() && list(bas) == nom ? bas : -1;
}

// Le fichier même, sous ce nom exact (un homonyme de casse est un autre
// fichier), régulier ou lien vers un fichier régulier.
bool ListeFichiers::entree_montree(const QString& nom) const {
    if (m_chemin.isEmpty() || nom.isEmpty() || nom.contains(QLatin1Char('\\')) ||
        motif_correspond_liste(nom, m_motif) == false)
        return false;
    try {
        const QByteArray hote =
            QFile::encodeName(dos_vers_hote(m_chemin)) + '/' + QFile::encodeName(nom);
        struct stat st;
        if (::stat(hote.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        if (m_caches && m_systeme)
            return true;
        const unsigned montres = (m_caches ? ATTR_CACHE : 0u) | (m_systeme ? ATTR_SYSTEME : 0u);
        // Le chemin de l'hôte est déjà connu : pas de seconde résolution.
        const std::optional<unsigned> lus = attributs_hote(hote);
        return lus && (*lus & (ATTR_CACHE | ATTR_SYSTEME) & ~montres) == 0;
    } catch (const ErreurExecution&) {
        return false;
    }
}

void ListeFichiers::actualiserEntree(const QString& nom) {
    const int ligne = indexDe(nom);
    const bool montree = entree_montree(nom);
    if (montree == (ligne >= 0))
        return;
    m_interne = true;
    m_relecture = true;
    bool choisie = false;
    if (montree) {
        int place = 0;
        for (int haut = count(); place < haut;) {
            const int milieu = place + (haut - place) / 2;
            if (nom_avant(list(milieu), nom))
                place = milieu + 1;
            else
                haut = milieu;
        }
        insertItem(place, nom);
    } else {
        choisie = selected(ligne);
        delete takeItem(ligne);
    }
    m_relecture = false;
    m_interne = false;
    if (choisie)
        emit selectionModifiee();
}

void ListeFichiers::actualiserFichier(const QString& chemin_dos) {
    const qsizetype barre = chemin_dos.lastIndexOf(QLatin1Char('\\'));
    if (barre < 0 || m_chemin.isEmpty())
        return;
    QString repertoire = m_chemin;
    if (!repertoire.endsWith(QLatin1Char('\\')))
        repertoire += QLatin1Char('\\');
    // Sans égard à la casse : l'entrée relue dit de toute façon l'état du
    // disque dans le répertoire de la liste.
    if (chemin_dos.left(barre + 1).compare(repertoire, Qt::CaseInsensitive) == 0)
        actualiserEntree(chemin_dos.mid(barre + 1));
}

void ListeFichiers::setListIndex(int i) {
    m_interne = true;
    setCurrentRow(i, QItemSelectionModel::NoUpdate);
    m_interne = false;
}

void ListeFichiers::mousePressEvent(QMouseEvent* e) {
    QListWidget::mousePressEvent(e);
    emit mousePressed();
}

// Un clic compte même s'il ne change pas la sélection, comme l'original.
void ListeFichiers::mouseReleaseEvent(QMouseEvent* e) {
    QListWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && itemAt(e->position().toPoint()))
        emit clicked();
}

void ListeFichiers::keyPressEvent(QKeyEvent* e) {
    emit keyPressed(e->key());
    const int avant = m_changements;
    QListWidget::keyPressEvent(e);
    if (m_changements != avant)
        emit clicked();
}

void ListeFichiers::rowsAboutToBeRemoved(const QModelIndex& parent, int debut, int fin) {
    QListWidget::rowsAboutToBeRemoved(parent, debut, fin);
    m_mise_en_page_attendue = true;
}

// Sans lecteur d'écran, la liste entière est redessinée au prochain dessin ;
// sinon Qt annonce le changement (et met en page tout de suite).
void ListeFichiers::selectionChanged(const QItemSelection& choisis, const QItemSelection& rendus) {
    if (m_mise_en_page_attendue && !QAccessible::isActive()) {
        viewport()->update();
        return;
    }
    QListWidget::selectionChanged(choisis, rendus);
}

void ListeFichiers::currentChanged(const QModelIndex& courant, const QModelIndex& precedent) {
    if (m_mise_en_page_attendue && !QAccessible::isActive() && isVisible()) {
        m_defilement_attendu = courant.isValid() && hasAutoScroll();
        viewport()->update();
        return;
    }
    QListWidget::currentChanged(courant, precedent);
}

void ListeFichiers::doItemsLayout() {
    m_mise_en_page_attendue = false;
    QListWidget::doItemsLayout();
    if (m_defilement_attendu) {
        m_defilement_attendu = false;
        if (currentIndex().isValid())
            scrollTo(currentIndex());
    }
}

// ----------------------------------------------------------------- jauge

Jauge::Jauge(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setFormat(QStringLiteral("%p %"));
}

} // namespace plateforme
