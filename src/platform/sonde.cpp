#include "platform/sonde.h"

#include "platform/instance.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

// Limites qui gardent la réponse d'une ligne raisonnable.
constexpr int k_texte_max = 16 * 1024;
constexpr int k_elements_max = 500;
constexpr int k_lignes_max = 60;
constexpr int k_colonnes_max = 40;

QJsonObject geometrie(const QWidget* w, const QRect& locale) {
    const QPoint origine = w->mapToGlobal(locale.topLeft());
    return {{u"x"_s, origine.x()},
            {u"y"_s, origine.y()},
            {u"l"_s, locale.width()},
            {u"h"_s, locale.height()}};
}

void fusionner(QJsonObject& o, const QJsonObject& ajout) {
    for (auto it = ajout.begin(); it != ajout.end(); ++it)
        o.insert(it.key(), it.value());
}

QString tronque(const QString& texte) {
    return texte.size() > k_texte_max ? texte.left(k_texte_max) : texte;
}

// Texte, curseur et sélection d'une zone d'édition.
void decrire_edition(QJsonObject& o, const QString& texte, const QString& choisi, int curseur) {
    o[u"texte"_s] = tronque(texte);
    o[u"taille_texte"_s] = texte.size();
    o[u"texte_choisi"_s] = tronque(choisi);
    o[u"curseur"_s] = curseur;
}

// Lignes montrées d'une vue (dépliées pour un arbre), avec leur place à
// l'écran quand elles sont visibles : de quoi cliquer dessus.
void decrire_vue_liste(QJsonObject& o, const QAbstractItemView* vue) {
    const QAbstractItemModel* modele = vue->model();
    if (!modele)
        return;
    const auto* arbre = qobject_cast<const QTreeView*>(vue);
    const QItemSelectionModel* selection = vue->selectionModel();
    QJsonArray elements;
    QModelIndex index = modele->index(0, 0, vue->rootIndex());
    int n = 0;
    while (index.isValid() && n < k_elements_max) {
        QJsonObject e{{u"texte"_s, index.data(Qt::DisplayRole).toString()},
                      {u"choisi"_s, selection && selection->isSelected(index)},
                      {u"courant"_s, vue->currentIndex() == index}};
        const QRect r = vue->visualRect(index);
        if (r.isValid() && vue->viewport()->rect().intersects(r))
            e[u"zone"_s] = geometrie(vue->viewport(), r);
        elements.append(e);
        ++n;
        index =
            arbre ? arbre->indexBelow(index) : modele->index(index.row() + 1, 0, index.parent());
    }
    o[u"elements"_s] = elements;
    o[u"nombre"_s] = arbre ? n : modele->rowCount(vue->rootIndex());
}

void decrire_table(QJsonObject& o, const QAbstractItemView* table) {
    const QAbstractItemModel* modele = table->model();
    if (!modele)
        return;
    const int lignes = modele->rowCount(), colonnes = modele->columnCount();
    QJsonArray entetes;
    for (int c = 0; c < qMin(colonnes, k_colonnes_max); ++c)
        entetes.append(modele->headerData(c, Qt::Horizontal).toString());
    QJsonArray cellules;
    for (int l = 0; l < qMin(lignes, k_lignes_max); ++l) {
        QJsonArray ligne;
        for (int c = 0; c < qMin(colonnes, k_colonnes_max); ++c)
            ligne.append(modele->index(l, c).data(Qt::DisplayRole).toString());
        cellules.append(ligne);
    }
    o[u"lignes"_s] = lignes;
    o[u"colonnes"_s] = colonnes;
    o[u"entetes"_s] = entetes;
    o[u"cellules"_s] = cellules;
    const QModelIndex courant = table->currentIndex();
    o[u"cellule_courante"_s] = QJsonArray{courant.row(), courant.column()};
    // Première ligne et première colonne montrées : de quoi voir le défilement.
    const QModelIndex coin = table->indexAt(QPoint(0, 0));
    o[u"premiere_ligne"_s] = coin.row();
    o[u"premiere_colonne"_s] = coin.column();
}

// Sections montrées d'un en-tête de table, avec leur texte et leur place.
void decrire_entete(QJsonObject& o, const QHeaderView* entete) {
    const QAbstractItemModel* modele = entete->model();
    if (!modele)
        return;
    const bool horizontal = entete->orientation() == Qt::Horizontal;
    o[u"orientation"_s] = horizontal ? u"horizontale"_s : u"verticale"_s;
    const int fin = horizontal ? entete->viewport()->width() : entete->viewport()->height();
    QJsonArray elements;
    int position = 0;
    while (position < fin && elements.size() < k_elements_max) {
        const int visuelle = entete->visualIndexAt(position);
        if (visuelle < 0)
            break;
        const int section = entete->logicalIndex(visuelle);
        const int debut = entete->sectionViewportPosition(section);
        const int taille = entete->sectionSize(section);
        const QRect r = horizontal ? QRect(debut, 0, taille, entete->height())
                                   : QRect(0, debut, entete->width(), taille);
        elements.append(
            QJsonObject{{u"texte"_s, modele->headerData(section, entete->orientation()).toString()},
                        {u"zone"_s, geometrie(entete->viewport(), r)}});
        position = debut + std::max(taille, 1);
    }
    o[u"elements"_s] = elements;
    o[u"nombre"_s] = entete->count();
}

void decrire_combo(QJsonObject& o, const QComboBox* c) {
    o[u"texte"_s] = c->currentText();
    o[u"courant"_s] = c->currentIndex();
    QJsonArray elements;
    for (int i = 0; i < qMin(c->count(), k_elements_max); ++i)
        elements.append(
            QJsonObject{{u"texte"_s, c->itemText(i)}, {u"choisi"_s, i == c->currentIndex()}});
    o[u"elements"_s] = elements;
    o[u"nombre"_s] = c->count();
}

// Actions d'un menu ou d'une barre de menus, avec leur place.
template <typename M> void decrire_actions(QJsonObject& o, const M* menu) {
    QJsonArray elements;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator())
            continue;
        QJsonObject e{{u"texte"_s, a->text()}, {u"actif"_s, a->isEnabled()}};
        if (a->isCheckable())
            e[u"coche"_s] = a->isChecked();
        const QRect r = menu->actionGeometry(a);
        if (r.isValid())
            e[u"zone"_s] = geometrie(menu, r);
        elements.append(e);
    }
    o[u"elements"_s] = elements;
}

void decrire_contenu(QJsonObject& o, const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        o[u"texte"_s] = l->text();
        if (!l->pixmap().isNull())
            o[u"image"_s] = QJsonArray{l->pixmap().width(), l->pixmap().height()};
    } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        o[u"texte"_s] = b->text();
        if (b->isCheckable())
            o[u"coche"_s] = b->isChecked();
    } else if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
        decrire_edition(o, e->text(), e->selectedText(), e->cursorPosition());
    } else if (const auto* c = qobject_cast<const QComboBox*>(w)) {
        decrire_combo(o, c);
    } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
        o[u"texte"_s] = g->title();
        if (g->isCheckable())
            o[u"coche"_s] = g->isChecked();
    } else if (const auto* p = qobject_cast<const QPlainTextEdit*>(w)) {
        decrire_edition(o, p->toPlainText(), p->textCursor().selectedText(),
                        p->textCursor().position());
    } else if (const auto* t = qobject_cast<const QTextEdit*>(w)) {
        decrire_edition(o, t->toPlainText(), t->textCursor().selectedText(),
                        t->textCursor().position());
    } else if (const auto* j = qobject_cast<const QProgressBar*>(w)) {
        o[u"valeur"_s] = j->value();
        o[u"texte"_s] = j->text();
    } else if (const auto* s = qobject_cast<const QAbstractSlider*>(w)) {
        o[u"valeur"_s] = s->value();
    } else if (const auto* sp = qobject_cast<const QAbstractSpinBox*>(w)) {
        o[u"texte"_s] = sp->text();
    } else if (const auto* h = qobject_cast<const QHeaderView*>(w)) {
        decrire_entete(o, h);
    } else if (const auto* v = qobject_cast<const QAbstractItemView*>(w)) {
        // Une grille à elle (propriété « grille ») est une table comme une autre.
        if (qobject_cast<const QTableView*>(w) || v->property("grille").toBool())
            decrire_table(o, v);
        else
            decrire_vue_liste(o, v);
    } else if (const auto* m = qobject_cast<const QMenu*>(w)) {
        o[u"texte"_s] = m->title();
        decrire_actions(o, m);
    } else if (const auto* mb = qobject_cast<const QMenuBar*>(w)) {
        decrire_actions(o, mb);
    } else if (const auto* sb = qobject_cast<const QStatusBar*>(w)) {
        o[u"texte"_s] = sb->currentMessage();
    } else if (const auto* tb = qobject_cast<const QTabBar*>(w)) {
        QJsonArray onglets;
        for (int i = 0; i < tb->count(); ++i)
            onglets.append(QJsonObject{{u"texte"_s, tb->tabText(i)},
                                       {u"zone"_s, geometrie(tb, tb->tabRect(i))}});
        o[u"elements"_s] = onglets;
        o[u"courant"_s] = tb->currentIndex();
    }
}

// Contrôles montrés, à plat, dans l'ordre de l'arbre des objets ; chacun
// nomme son plus proche parent nommé. Un contrôle entièrement hors de ses
// parents (sous le bas d'une fenêtre qui ne l'a pas encore agrandie) n'est
// pas à l'écran : il est tu, avec ses enfants.
void parcourir(const QWidget* w, const QRect& champ, const QString& parent, QJsonArray& sortie) {
    for (QObject* enfant : w->children()) {
        auto* c = qobject_cast<QWidget*>(enfant);
        if (!c || c->isWindow() || !c->isVisible())
            continue;
        const QRect visible = champ & QRect(c->mapTo(c->window(), QPoint(0, 0)), c->size());
        if (visible.isEmpty())
            continue;
        QJsonObject o = decrire_widget(c);
        o[u"parent"_s] = parent;
        sortie.append(o);
        parcourir(c, visible, c->objectName().isEmpty() ? parent : c->objectName(), sortie);
    }
}

QJsonObject decrire_fenetre(const QWidget* f) {
    QJsonObject o = decrire_widget(f);
    o[u"titre"_s] = f->windowTitle();
    o[u"active"_s] = f->isActiveWindow();
    o[u"modale"_s] = f->isModal();
    o[u"wid"_s] = QString::number(f->winId());
    QJsonArray widgets;
    parcourir(f, f->rect(), f->objectName(), widgets);
    o[u"widgets"_s] = widgets;
    return o;
}

QString nom_ou_classe(const QWidget* w) {
    if (!w)
        return {};
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

bool correspond(const QWidget* w, const QString& cible) {
    return w->objectName() == cible || w->windowTitle().trimmed() == cible.trimmed();
}

// Cible et fichier : séparés par une tabulation s'il y en a une, sinon le
// fichier est le dernier mot (un titre de fenêtre a souvent des blancs).
bool separer_capture(const QString& reste, QString& cible, QString& fichier) {
    if (reste.contains(u'\t')) {
        cible = reste.section(u'\t', 0, 0);
        fichier = reste.section(u'\t', 1);
    } else {
        const qsizetype blanc = reste.lastIndexOf(u' ');
        if (blanc < 0)
            return false;
        cible = reste.left(blanc);
        fichier = reste.mid(blanc + 1);
    }
    return !cible.trimmed().isEmpty() && !fichier.isEmpty();
}

QString capturer(const QString& reste) {
    QString cible, fichier;
    if (!separer_capture(reste, cible, fichier))
        return u"erreur capture <cible> <fichier.png>"_s;
    QWidget* w = fenetre_nommee(cible);
    if (!w)
        return u"erreur fenêtre inconnue : "_s + cible;
    if (!QDir().mkpath(QFileInfo(fichier).absolutePath()))
        return u"erreur répertoire impossible : "_s + fichier;
    if (!w->grab().save(fichier, "PNG"))
        return u"erreur enregistrement impossible : "_s + fichier;
    return u"ok"_s;
}

} // namespace

QJsonObject decrire_widget(const QWidget* w) {
    const QRect r = w->rect();
    QJsonObject o{{u"classe"_s, QString::fromLatin1(w->metaObject()->className())},
                  {u"nom"_s, w->objectName()},
                  {u"actif"_s, w->isEnabled()},
                  {u"focus"_s, w->hasFocus()}};
    fusionner(o, geometrie(w, r));
    if (const auto* s = qobject_cast<const QMdiSubWindow*>(w))
        o[u"titre"_s] = s->windowTitle();
    decrire_contenu(o, w);
    return o;
}

QJsonObject decrire_fenetres() {
    QJsonArray fenetres;
    for (QWidget* f : QApplication::topLevelWidgets()) {
        if (f->isVisible())
            fenetres.append(decrire_fenetre(f));
    }
    return {{u"programme"_s, QCoreApplication::applicationName()},
            {u"pid"_s, QCoreApplication::applicationPid()},
            {u"active"_s, nom_ou_classe(QApplication::activeWindow())},
            {u"modale"_s, nom_ou_classe(QApplication::activeModalWidget())},
            {u"focus"_s, nom_ou_classe(QApplication::focusWidget())},
            {u"fenetres"_s, fenetres}};
}

QWidget* fenetre_nommee(const QString& cible) {
    const QWidgetList fenetres = QApplication::topLevelWidgets();
    for (QWidget* f : fenetres) {
        if (f->isVisible() && correspond(f, cible))
            return f;
    }
    // Une fenêtre fille (document d'une interface multi-documents).
    for (QWidget* f : fenetres) {
        if (!f->isVisible())
            continue;
        for (auto* s : f->findChildren<QMdiSubWindow*>()) {
            if (s->isVisible() && correspond(s, cible))
                return s;
        }
    }
    return nullptr;
}

Sonde::Sonde(QObject* parent) : QObject(parent) {}

Sonde::~Sonde() {
    if (m_serveur)
        m_serveur->close();
}

bool Sonde::ecouter(const QString& chemin) {
    QString prise = chemin;
    if (QFileInfo(chemin).isDir())
        prise =
            QDir(chemin).filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
                                  u'-' + QString::number(QCoreApplication::applicationPid()));
    // La sonde décrit l'écran et écrit des images où on lui dit : sa prise
    // ne vit que dans un répertoire à nous seul.
    if (!repertoire_prive(QFileInfo(prise).absolutePath()))
        return false;
    m_serveur = new QLocalServer(this);
    m_serveur->setSocketOptions(QLocalServer::UserAccessOption);
    // Seule une prise laissée par un essai précédent est retirée : un chemin
    // mal donné ne doit jamais effacer un fichier de l'usager.
    // (Qt met la prise en place par un renommage, qui remplacerait le fichier.)
    struct stat etat {};
    if (::lstat(QFile::encodeName(prise).constData(), &etat) == 0) {
        if (!S_ISSOCK(etat.st_mode))
            return false;
        QLocalServer::removeServer(prise);
    }
    if (!m_serveur->listen(prise))
        return false;
    connect(m_serveur, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* p = m_serveur->nextPendingConnection()) {
            connect(p, &QLocalSocket::disconnected, p, &QObject::deleteLater);
            if (!pair_du_meme_utilisateur(p->socketDescriptor())) {
                p->abort();
                p->deleteLater();
                continue;
            }
            connect(p, &QLocalSocket::readyRead, this, [this, p] { lire(p); });
            lire(p);
        }
    });
    return true;
}

QString Sonde::chemin() const {
    return m_serveur ? m_serveur->fullServerName() : QString();
}

void Sonde::lire(QLocalSocket* prise) {
    while (prise->canReadLine()) {
        QString ligne = QString::fromUtf8(prise->readLine());
        while (ligne.endsWith(u'\n') || ligne.endsWith(u'\r'))
            ligne.chop(1);
        prise->write(repondre(ligne).toUtf8() + '\n');
    }
    prise->flush();
}

QString Sonde::repondre(const QString& ligne) const {
    const QString commande = ligne.section(u' ', 0, 0).section(u'\t', 0, 0);
    const QString reste = ligne.mid(commande.size() + 1);
    if (commande == u"arbre")
        return QString::fromUtf8(QJsonDocument(decrire_fenetres()).toJson(QJsonDocument::Compact));
    if (commande == u"capture")
        return capturer(reste);
    return u"erreur commande inconnue : "_s + commande;
}

void demarrer_sonde_si_demandee() {
    const QString chemin = qEnvironmentVariable("KALDRON_SONDE");
    if (chemin.isEmpty())
        return;
    auto* sonde = new Sonde(qApp);
    if (!sonde->ecouter(chemin))
        qWarning("sonde : écoute impossible sur %s", qPrintable(chemin));
}

} // namespace plateforme
