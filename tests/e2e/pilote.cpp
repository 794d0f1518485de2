#include "pilote.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringConverter>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <sys/types.h>
#include <unistd.h>
#ifdef KALDRON_E2E_XCB
#include <xcb/xcb.h>
#endif

using namespace Qt::StringLiterals;

namespace e2e {

namespace {

// Encodage des profils : Windows-1252 (les noms de section ont des accents).
QByteArray windows1252(const QString& texte) {
    QStringEncoder encodeur("windows-1252");
    if (!encodeur.isValid())
        return texte.toLatin1();
    return encodeur.encode(texte);
}

bool ajouter_au_fichier(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(octets) == octets.size();
}

// Exécutable de ce processus (pour ne tuer que les nôtres).
QString executable_de(qint64 pid) {
    return QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget();
}

void tuer(qint64 pid) {
    if (pid <= 0)
        return;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    const QDeadlineTimer fin(1500);
    while (!fin.hasExpired() && ::kill(static_cast<pid_t>(pid), 0) == 0 &&
           !executable_de(pid).isEmpty())
        QThread::msleep(20);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

QString chemin_programme(const QString& programme) {
    if (programme == u"kaldron")
        return QStringLiteral(KALDRON_E2E_KALDRON);
    if (programme == u"morvine")
        return QStringLiteral(KALDRON_E2E_MORVINE);
    return {};
}

} // namespace

// --- Programme ------------------------------------------------------------

Programme::Programme(const QString& nom, const QString& prise, qint64 pid)
    : m_nom(nom), m_prise(prise), m_pid(pid) {}

bool Programme::en_vie() const {
    return ::kill(static_cast<pid_t>(m_pid), 0) == 0 && !executable_de(m_pid).isEmpty();
}

QString Programme::demander(const QString& ligne, int delai_ms) const {
    QLocalSocket prise;
    prise.connectToServer(m_prise);
    if (!prise.waitForConnected(delai_ms))
        return {};
    prise.write(ligne.toUtf8() + '\n');
    prise.flush();
    QByteArray reponse;
    const QDeadlineTimer fin(delai_ms);
    while (!reponse.endsWith('\n') && !fin.hasExpired()) {
        if (prise.waitForReadyRead(static_cast<int>(qMax<qint64>(1, fin.remainingTime()))))
            reponse += prise.readAll();
        else if (prise.state() != QLocalSocket::ConnectedState)
            break;
    }
    if (!reponse.endsWith('\n'))
        return {};
    reponse.chop(1);
    return QString::fromUtf8(reponse);
}

Arbre Programme::arbre(int delai_ms) const {
    const QString reponse = demander(u"arbre"_s, delai_ms);
    return Arbre(QJsonDocument::fromJson(reponse.toUtf8()).object());
}

QString Programme::capturer(const QString& fenetre, const QString& fichier) const {
    const QString reponse = demander(u"capture\t"_s + fenetre + u'\t' + fichier, 10000);
    if (reponse == u"ok")
        return {};
    return reponse.isEmpty() ? u"la sonde ne répond pas"_s : reponse;
}

// --- Pilote ---------------------------------------------------------------

Pilote::Pilote(QSize ecran) : m_base(QDir::tempPath() + u"/kaldron-e2e-XXXXXX"_s), m_ecran(ecran) {}

Pilote::~Pilote() {
    tout_arreter();
}

bool Pilote::outils_presents(QString* raison) {
    QStringList manquants;
    for (const QString& outil : {u"Xvfb"_s, u"xdotool"_s}) {
        if (QStandardPaths::findExecutable(outil).isEmpty())
            manquants << outil;
    }
    if (raison)
        *raison = manquants.isEmpty() ? QString() : u"manque : "_s + manquants.join(u", "_s);
    return manquants.isEmpty();
}

bool Pilote::obligatoire() {
    return qEnvironmentVariable("KALDRON_E2E_OBLIGATOIRE") == u"1";
}

bool Pilote::demarrer(QString* erreur) {
    auto echec = [erreur](const QString& raison) {
        if (erreur)
            *erreur = raison;
        return false;
    };
    if (!m_base.isValid())
        return echec(u"répertoire temporaire impossible"_s);
    for (const char* r : {"c/KALDRON", "windows", "run", "sondes", "home"})
        QDir().mkpath(m_base.filePath(QString::fromLatin1(r)));
    // Les programmes n'y mettent leur verrou et leurs sondes que s'ils sont à nous seuls.
    for (const QString& prive : {u"run"_s, u"sondes"_s})
        QFile::setPermissions(m_base.filePath(prive),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Seule l'unité C: est déclarée ; Z: (la racine) s'ajoute d'elle-même.
    if (!ajouter_au_fichier(m_base.filePath(u"windows/WIN.INI"_s),
                            windows1252(u"[Unités]\r\nC=%1\r\n"_s.arg(hote()))))
        return echec(u"WIN.INI impossible à écrire"_s);

    ajouter_au_fichier(m_base.filePath(u"lsan.supp"_s), "leak:libdbus-1.so\n");
    // -displayfd 1 : Xvfb choisit un affichage libre et l'écrit sur sa sortie.
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProcessChannelMode(QProcess::SeparateChannels);
    const QString ecran = u"%1x%2x24"_s.arg(m_ecran.width()).arg(m_ecran.height());
    m_xvfb->start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, ecran, u"-nolisten"_s,
                              u"tcp"_s, u"-noreset"_s});
    if (!m_xvfb->waitForStarted(5000))
        return echec(u"Xvfb ne démarre pas"_s);
    QByteArray sortie;
    const QDeadlineTimer fin(15000);
    while (!sortie.contains('\n') && !fin.hasExpired() && m_xvfb->state() == QProcess::Running) {
        m_xvfb->waitForReadyRead(100);
        sortie += m_xvfb->readAllStandardOutput();
    }
    bool ok = false;
    const int numero = sortie.trimmed().toInt(&ok);
    if (!ok)
        return echec(u"Xvfb n'a pas donné d'affichage : "_s +
                     QString::fromLocal8Bit(m_xvfb->readAllStandardError()));
    m_affichage = u":"_s + QString::number(numero);
    return true;
}

QString Pilote::hote(const QString& relatif) const {
    const QString racine = m_base.filePath(u"c"_s);
    return relatif.isEmpty() ? racine : racine + u'/' + relatif;
}

QString Pilote::creer_fichier(const QString& relatif, const QByteArray& contenu) {
    QString chemin = hote(relatif);
    QDir().mkpath(QFileInfo(chemin).path());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(contenu) != contenu.size())
        return {};
    return chemin;
}

QString Pilote::creer_repertoire(const QString& relatif) {
    return QDir().mkpath(hote(relatif)) ? hote(relatif) : QString();
}

QByteArray Pilote::contenu(const QString& relatif) const {
    QFile f(hote(relatif));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Pilote::existe(const QString& relatif) const {
    return QFileInfo::exists(hote(relatif));
}

QStringList Pilote::noms(const QString& relatif) const {
    return QDir(hote(relatif))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

QString Pilote::repertoire_windows() const {
    return m_base.filePath(u"windows"_s);
}

QString Pilote::repertoire_execution() const {
    return m_base.filePath(u"run"_s);
}

QString Pilote::repertoire_programme() const {
    return hote(u"KALDRON"_s);
}

void Pilote::ecrire_kaldron_ini(const QString& texte) {
    QString t = texte;
    t.replace(u"\r\n"_s, u"\n"_s).replace(u'\n', u"\r\n"_s);
    ajouter_au_fichier(repertoire_programme() + u"/KALDRON.INI"_s, windows1252(t));
}

QProcessEnvironment Pilote::environnement() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_affichage);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.remove(u"XAUTHORITY"_s);
    env.insert(u"KALDRON_SONDE"_s, m_base.filePath(u"sondes"_s));
    env.insert(u"KALDRON_WINDOWS"_s, repertoire_windows());
    env.insert(u"KALDRON_PROGRAMME"_s, repertoire_programme());
    env.insert(u"KALDRON_IMPRESSION_PDF"_s, m_base.filePath(u"impression.pdf"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, m_base.filePath(u"run"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, m_base.filePath(u"home/.config"_s));
    env.insert(u"HOME"_s, m_base.filePath(u"home"_s));
    // Sous AddressSanitizer : libdbus (chargée par Qt sous X) garde un tampon
    // jusqu'à la fin ; ce n'est pas une fuite des programmes.
    QString lsan = env.value(u"LSAN_OPTIONS"_s);
    if (!lsan.isEmpty())
        lsan += u':';
    env.insert(u"LSAN_OPTIONS"_s, lsan + u"suppressions="_s + m_base.filePath(u"lsan.supp"_s));
    // Les programmes lancés par les nôtres (VISUALISER) trouvent les nôtres.
    const QString executables = QFileInfo(chemin_programme(u"kaldron"_s)).path() + u':' +
                                QFileInfo(chemin_programme(u"morvine"_s)).path();
    env.insert(u"PATH"_s, executables + u':' + env.value(u"PATH"_s));
    return env;
}

QProcess* Pilote::lancer(const QString& programme, const QStringList& arguments,
                         const QString& repertoire) {
    const QString chemin = chemin_programme(programme);
    if (chemin.isEmpty() || m_affichage.isEmpty())
        return nullptr;
    auto* p = new QProcess;
    p->setProcessEnvironment(environnement());
    p->setWorkingDirectory(repertoire.isEmpty() ? hote() : repertoire);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setStandardOutputFile(QProcess::nullDevice());
    p->start(chemin, arguments);
    m_lances << p;
    if (!p->waitForStarted(5000)) {
        m_journal = p->errorString();
        return nullptr;
    }
    return p;
}

QList<std::shared_ptr<Programme>> Pilote::programmes(const QString& programme) const {
    QList<std::shared_ptr<Programme>> liste;
    const QDir sondes(m_base.filePath(u"sondes"_s));
    static const QRegularExpression forme(u"^([a-z]+)-(\\d+)$"_s);
    for (const QString& nom : sondes.entryList(
             QDir::System | QDir::Files | QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
        const auto m = forme.match(nom);
        if (!m.hasMatch() || m.captured(1) != programme)
            continue;
        auto p = std::make_shared<Programme>(programme, sondes.filePath(nom),
                                             m.captured(2).toLongLong());
        if (p->en_vie())
            liste << p;
    }
    return liste;
}

std::shared_ptr<Programme> Pilote::attendre_programme(const QString& programme,
                                                      const QList<qint64>& deja_vus, int delai_ms) {
    std::shared_ptr<Programme> trouve;
    attendre(
        [&] {
            for (const auto& p : programmes(programme)) {
                if (!deja_vus.contains(p->pid()) && p->arbre(1000).valide()) {
                    trouve = p;
                    return true;
                }
            }
            return false;
        },
        delai_ms);
    return trouve;
}

bool Pilote::xdotool(const QStringList& arguments) {
    QProcess x;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_affichage);
    x.setProcessEnvironment(env);
    x.start(u"xdotool"_s, arguments);
    // La boucle tourne pendant ce temps : rien ne l'attend ici, mais un
    // programme d'essai ne doit pas figer ce qu'il pilote.
    if (!x.waitForFinished(10000)) {
        x.kill();
        x.waitForFinished(1000);
        m_journal = u"xdotool ne répond pas : "_s + arguments.join(u' ');
        return false;
    }
    m_journal = QString::fromLocal8Bit(x.readAllStandardError());
    return x.exitStatus() == QProcess::NormalExit && x.exitCode() == 0;
}

// Sans --sync : xdotool attendrait sans fin un déplacement quand la souris
// est déjà là ; le serveur X garde de toute façon l'ordre mouvement, clic.
// Deux pressions proches et rapprochées feraient un double clic.
void Pilote::espacer_du_clic_precedent(QPoint global) {
    constexpr qint64 k_double_clic_ms = 700; // au-delà de l'intervalle de Qt (400 ms)
    if (m_depuis_clic.isValid() && (global - m_dernier_clic).manhattanLength() < 20 &&
        m_depuis_clic.elapsed() < k_double_clic_ms)
        QThread::msleep(static_cast<unsigned long>(k_double_clic_ms - m_depuis_clic.elapsed()));
    m_dernier_clic = global;
    m_depuis_clic.start();
}

bool Pilote::cliquer_en(QPoint global, int bouton, int fois, const QString& modificateur) {
    espacer_du_clic_precedent(global);
    QStringList a;
    if (!modificateur.isEmpty())
        a << u"keydown"_s << modificateur;
    a << u"mousemove"_s << QString::number(global.x()) << QString::number(global.y()) << u"click"_s;
    if (fois > 1)
        a << u"--repeat"_s << QString::number(fois) << u"--delay"_s << u"80"_s;
    a << QString::number(bouton);
    if (!modificateur.isEmpty())
        a << u"keyup"_s << modificateur;
    return xdotool(a);
}

bool Pilote::cliquer(const Controle& c, int bouton) {
    if (!c.existe()) {
        m_journal = u"contrôle absent"_s;
        return false;
    }
    return cliquer_en(c.centre(), bouton);
}

bool Pilote::double_cliquer(const Controle& c) {
    return c.existe() && cliquer_en(c.centre(), 1, 2);
}

bool Pilote::survoler(const Controle& c) {
    return c.existe() && survoler_en(c.centre());
}

bool Pilote::survoler_en(QPoint global) {
    return xdotool({u"mousemove"_s, QString::number(global.x()), QString::number(global.y())});
}

bool Pilote::cliquer_element(const Controle& liste, const QString& texte,
                             const QString& modificateur, int fois) {
    const auto zone = liste.zone_element(texte);
    if (!zone) {
        m_journal = u"élément absent ou caché : "_s + texte;
        return false;
    }
    return cliquer_en(zone->center(), 1, fois, modificateur);
}

bool Pilote::glisser_elements(const Controle& liste, const QString& de, const QString& vers,
                              QPoint decalage) {
    const auto depart = liste.zone_element(de);
    const auto arrivee = liste.zone_element(vers);
    if (!depart || !arrivee) {
        m_journal = u"élément absent ou caché : "_s + (depart ? vers : de);
        return false;
    }
    const QPoint fin = arrivee->center() + decalage;
    // Le glissé suivant part souvent de là où celui-ci s'est relâché : il
    // s'en espace comme d'un clic.
    espacer_du_clic_precedent(depart->center());
    espacer_du_clic_precedent(fin);
    const QPoint milieu = (depart->center() + fin) / 2;
    // Des pauses entre les gestes : un programme ralenti (sanitizers) doit
    // avoir vu l'appui avant le déplacement, comme sous une vraie main.
    QStringList a{u"mousemove"_s,
                  QString::number(depart->center().x()),
                  QString::number(depart->center().y()),
                  u"sleep"_s,
                  u"0.1"_s,
                  u"mousedown"_s,
                  u"1"_s};
    for (const QPoint& p : {milieu, fin})
        a << u"sleep"_s << u"0.1"_s << u"mousemove"_s << QString::number(p.x())
          << QString::number(p.y());
    a << u"sleep"_s << u"0.1"_s << u"mouseup"_s << u"1"_s;
    return xdotool(a);
}

bool Pilote::glisser_vers(QPoint de, QPoint vers, const QString& modificateur) {
    espacer_du_clic_precedent(de);
    espacer_du_clic_precedent(vers);
    QStringList a{u"mousemove"_s,
                  QString::number(de.x()),
                  QString::number(de.y()),
                  u"sleep"_s,
                  u"0.1"_s,
                  u"mousedown"_s,
                  u"1"_s};
    // Le glisser ne part qu'au-delà de la distance de départ ; la cible ne
    // l'accepte qu'après l'avoir vu entrer puis bouger.
    for (int pas = 1; pas <= 8; ++pas) {
        const QPoint p = de + (vers - de) * pas / 8;
        a << u"sleep"_s << u"0.1"_s << u"mousemove"_s << QString::number(p.x())
          << QString::number(p.y());
    }
    if (!modificateur.isEmpty())
        a << u"keydown"_s << modificateur << u"sleep"_s << u"0.1"_s;
    a << u"mousemove"_s << QString::number(vers.x() + 2) << QString::number(vers.y()) << u"sleep"_s
      << u"0.2"_s << u"mouseup"_s << u"1"_s;
    if (!modificateur.isEmpty())
        a << u"keyup"_s << modificateur;
    return xdotool(a);
}

bool Pilote::taper(const QString& texte) {
    if (preparer_touches(texte))
        // Le programme relit la table des touches avant la première frappe.
        QThread::msleep(300);
    return xdotool({u"type"_s, u"--delay"_s, u"15"_s, u"--"_s, texte});
}

// Une lettre absente du clavier (à, ô…) : xdotool change la table des
// touches le temps de la frappe, et le programme qui la relit trop tard
// perd la lettre. On lui donne d'avance une touche libre, pour de bon.
// Vrai si la table a changé.
bool Pilote::preparer_touches(const QString& texte) {
#ifdef KALDRON_E2E_XCB
    QList<uint32_t> voulus;
    for (const char32_t c : texte.toUcs4()) {
        const uint32_t symbole = c <= 0xff ? uint32_t(c) : 0x01000000u | uint32_t(c);
        if (c >= 0x80 && !voulus.contains(symbole))
            voulus << symbole;
    }
    if (voulus.isEmpty())
        return false;
    xcb_connection_t* x = xcb_connect(m_affichage.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return false;
    }
    const xcb_setup_t* reglage = xcb_get_setup(x);
    const uint8_t premier = reglage->min_keycode;
    const uint8_t nombre = uint8_t(reglage->max_keycode - premier + 1);
    xcb_get_keyboard_mapping_reply_t* table =
        xcb_get_keyboard_mapping_reply(x, xcb_get_keyboard_mapping(x, premier, nombre), nullptr);
    bool change = false;
    if (table) {
        const int par_touche = table->keysyms_per_keycode;
        const xcb_keysym_t* symboles = xcb_get_keyboard_mapping_keysyms(table);
        QList<bool> libres(nombre);
        for (int t = 0; t < nombre; ++t) {
            libres[t] = true;
            for (int i = 0; i < par_touche; ++i) {
                const xcb_keysym_t s = symboles[t * par_touche + i];
                libres[t] = libres[t] && s == 0;
                voulus.removeAll(s);
            }
        }
        for (int t = nombre - 1; t >= 0 && !voulus.isEmpty(); --t) {
            if (!libres[t])
                continue;
            QList<xcb_keysym_t> nouveaux(par_touche, 0);
            nouveaux[0] = nouveaux[1 % par_touche] = voulus.takeFirst();
            xcb_change_keyboard_mapping(x, 1, xcb_keycode_t(premier + t), uint8_t(par_touche),
                                        nouveaux.constData());
            change = true;
        }
        free(table);
        free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    }
    xcb_disconnect(x);
    return change;
#else
    Q_UNUSED(texte);
    return false;
#endif
}

bool Pilote::touche(const QString& combinaison) {
    return xdotool({u"key"_s, u"--delay"_s, u"30"_s, u"--"_s, combinaison});
}

bool Pilote::focaliser(const Fenetre& f) {
    if (f.wid().isEmpty())
        return false;
    return xdotool({u"windowfocus"_s, u"--sync"_s, f.wid()});
}

bool Pilote::lever(const Fenetre& f) {
    return !f.wid().isEmpty() && xdotool({u"windowraise"_s, f.wid()});
}

// Ce que fait un gestionnaire de fenêtres quand l'usager iconise ou rend la
// fenêtre : la propriété WM_STATE (NormalState 1, IconicState 3) ; le
// programme l'apprend par le serveur X comme sous un vrai bureau.
bool Pilote::etat_fenetre(const Fenetre& f, bool iconisee) {
#ifdef KALDRON_E2E_XCB
    bool nombre = false;
    const uint32_t fenetre = f.wid().toUInt(&nombre);
    if (!nombre) {
        m_journal = u"fenêtre sans identifiant X"_s;
        return false;
    }
    xcb_connection_t* x = xcb_connect(m_affichage.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        m_journal = u"connexion à "_s + m_affichage + u" impossible"_s;
        return false;
    }
    const char nom[] = "WM_STATE";
    xcb_intern_atom_reply_t* atome =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, sizeof nom - 1, nom), nullptr);
    bool ok = atome != nullptr;
    if (ok) {
        const uint32_t valeur[2] = {iconisee ? 3u : 1u, 0u};
        xcb_void_cookie_t c = xcb_change_property_checked(x, XCB_PROP_MODE_REPLACE, fenetre,
                                                          atome->atom, atome->atom, 32, 2, valeur);
        xcb_generic_error_t* erreur = xcb_request_check(x, c);
        ok = erreur == nullptr;
        free(erreur);
    }
    free(atome);
    xcb_disconnect(x);
    if (!ok)
        m_journal = u"WM_STATE non posé sur "_s + f.wid();
    return ok;
#else
    Q_UNUSED(f);
    Q_UNUSED(iconisee);
    m_journal = u"pilote construit sans libxcb"_s;
    return false;
#endif
}

bool Pilote::attendre(const std::function<bool()>& predicat, int delai_ms) {
    const QDeadlineTimer fin(delai_ms);
    while (true) {
        if (predicat())
            return true;
        if (fin.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
}

Arbre Pilote::attendre_arbre(const Programme& p, const std::function<bool(const Arbre&)>& predicat,
                             int delai_ms) {
    Arbre dernier;
    attendre(
        [&] {
            dernier = p.arbre(2000);
            return dernier.valide() && predicat(dernier);
        },
        delai_ms);
    return dernier;
}

Arbre Pilote::attendre_calme(const Programme& p, int pas_ms, int delai_ms) {
    Arbre precedent = p.arbre(2000);
    attendre(
        [&] {
            QThread::msleep(static_cast<unsigned long>(pas_ms));
            const Arbre courant = p.arbre(2000);
            const bool calme = courant.valide() && courant.json() == precedent.json();
            precedent = courant;
            return calme;
        },
        delai_ms);
    return precedent;
}

QString Pilote::capture(const Programme& p, const QString& fenetre, const QString& nom,
                        QString* erreur) {
    QString repertoire = qEnvironmentVariable("KALDRON_CAPTURES");
    if (repertoire.isEmpty())
        repertoire = QStringLiteral(KALDRON_E2E_CAPTURES);
    const QString fichier = QDir(repertoire).absoluteFilePath(nom + u".png"_s);
    const QString probleme = p.capturer(fenetre, fichier);
    if (erreur)
        *erreur = probleme;
    return probleme.isEmpty() && QFileInfo::exists(fichier) ? fichier : QString();
}

void Pilote::tout_arreter() {
    // Les programmes lancés par les nôtres (VISUALISER) d'abord : ils ont
    // chacun une sonde, dont le nom porte leur numéro de processus.
    for (const QString& programme : {u"morvine"_s, u"kaldron"_s}) {
        for (const auto& p : programmes(programme)) {
            if (executable_de(p->pid()) ==
                QFileInfo(chemin_programme(programme)).canonicalFilePath())
                tuer(p->pid());
        }
    }
    for (QProcess* p : std::as_const(m_lances)) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(1500)) {
                p->kill();
                p->waitForFinished(1500);
            }
        }
        delete p;
    }
    m_lances.clear();
    if (m_xvfb && m_xvfb->state() != QProcess::NotRunning) {
        m_xvfb->terminate();
        if (!m_xvfb->waitForFinished(2000)) {
            m_xvfb->kill();
            m_xvfb->waitForFinished(2000);
        }
    }
    m_xvfb.reset();
}

} // namespace e2e
