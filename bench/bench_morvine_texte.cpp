// Banc d'essai du visualiseur : un texte ouvert comme par le bouton Ouvrir
// (dialogue répondu, fenêtre réelle, boucle d'événements vivante), jusqu'au
// premier écran dessiné et jusqu'au texte entier chargé, puis Ctrl+Fin
// jusqu'au dernier écran ; mémoire de pointe au-dessus de celle du cadre
// vide. Chaque essai dans un processus à lui, sur un fichier fait pour lui.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure (médiane).
#include "essai_isole.h"
#include "platform/dialogues.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 k_mio = qint64(1024) * 1024;
constexpr int k_essais = 3;

void echec(const char* quoi) {
    (void)std::fprintf(stderr, "bench_morvine_texte : %s\n", quoi);
    std::exit(1);
}

// Le dialogue d'ouverture répond le fichier du banc ; tout message est un échec.
class DialoguesBanc : public plateforme::ServiceDialogues {
public:
    explicit DialoguesBanc(QString fichier) : m_fichier(std::move(fichier)) {}
    int message(const QString& texte, int, const QString&) override {
        (void)std::fprintf(stderr, "message : %s\n", texte.toUtf8().constData());
        std::_Exit(3);
    }
    QString saisie(const QString&, const QString&, const QString&) override { return {}; }
    int message_dialogue(const QString&, const QString&, const QString&, const QString&,
                         const QString&, const QString&) override {
        return 1;
    }
    QString ouvrir_fichier(const QString&, const QString&, const QString&) override {
        return m_fichier;
    }
    QString enregistrer_fichier(const QString&, const QString&, const QString&) override {
        return {};
    }
    void bip() override {}

private:
    QString m_fichier;
};

// Premier dessin d'une zone de texte non vide : le premier écran que voit
// l'usager, même si le chargement se poursuit dessous.
class GuetteurDessin : public QObject {
public:
    std::chrono::steady_clock::time_point premier{};
    bool vu = false;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (!vu && e->type() == QEvent::Paint) {
            auto* zone = qobject_cast<QPlainTextEdit*>(objet->parent());
            if (zone && zone->objectName() == u"Text1"_s && zone->viewport() == objet &&
                !zone->document()->isEmpty()) {
                premier = std::chrono::steady_clock::now();
                vu = true;
            }
        }
        return false;
    }
};

struct Mesure {
    double premier_ecran_ms = 0;
    double charge_ms = 0; // jusqu'au retour du geste, tout le texte dans la zone
    double fin_ms = 0;
    double pointe_mio = 0; // au-dessus du cadre vide
};

// Dans le processus fils : le cadre, le bouton Ouvrir, le premier écran, Ctrl+Fin.
Mesure essai_fils(const QString& fichier, const QString& programme) {
    qputenv("KALDRON_PROGRAMME", programme.toUtf8());
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char nom[] = "bench_morvine_texte";
    char* argv[] = {nom, nullptr};
    QApplication application(argc, argv);
    DialoguesBanc dialogues(fichier);
    plateforme::installer_dialogues(&dialogues);
    Editeur editeur;
    editeur.MDIForm_Load({});
    QApplication::processEvents();
    const qint64 base = kio_de("VmRSS:");
    GuetteurDessin guetteur;
    application.installEventFilter(&guetteur);
    const auto t0 = std::chrono::steady_clock::now();
    editeur.FileOpen->action(); // le geste du bouton Ouvrir
    Fenêtre* f = editeur.fenetre_active();
    if (!f)
        std::_Exit(4);
    QApplication::processEvents();
    f->Text1->viewport()->repaint();
    const auto t1 = std::chrono::steady_clock::now();
    if (!guetteur.vu)
        std::_Exit(7);
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(f->Text1, &appui);
    QApplication::processEvents();
    f->Text1->viewport()->repaint();
    const auto t2 = std::chrono::steady_clock::now();
    if (!f->Text1->textCursor().atEnd())
        std::_Exit(5);
    // BANC_IMAGE : le dernier écran en image, pour juger à l'œil qu'il se lit.
    if (const QString image = qEnvironmentVariable("BANC_IMAGE"); !image.isEmpty())
        f->Text1->viewport()->grab().save(image);
    Mesure m;
    m.premier_ecran_ms = std::chrono::duration<double, std::milli>(guetteur.premier - t0).count();
    m.charge_ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    m.fin_ms = std::chrono::duration<double, std::milli>(t2 - t1).count();
    m.pointe_mio = double(kio_de("VmHWM:") - base) / 1024.0;
    return m;
}

Mesure un_essai(const QString& fichier, const QString& programme) {
    Mesure m;
    if (!dans_un_processus<Mesure>([&] { return essai_fils(fichier, programme); }, m))
        echec("essai");
    return m;
}

// Un texte de 'taille' octets : des mots séparés de blancs, une fin de ligne
// CR LF tous les 'ligne' octets (jamais si 'ligne' vaut 0).
void ecrire_texte(const QString& chemin, qint64 taille, int ligne) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly))
        echec("création du texte");
    QRandomGenerator generateur(11);
    QByteArray hasard(k_mio, Qt::Uninitialized);
    QByteArray bloc;
    qint64 colonne = 0;
    for (qint64 fait = 0; fait < taille;) {
        generateur.fillRange(reinterpret_cast<quint32*>(hasard.data()), hasard.size() / 4);
        bloc.clear();
        for (qsizetype i = 0; i < hasard.size() && fait + bloc.size() < taille; ++i) {
            const auto tirage = quint8(hasard[i]);
            if (ligne > 0 && colonne >= ligne - 2) {
                bloc += "\r\n";
                colonne = 0;
            } else {
                bloc += tirage % 7 == 0 ? ' ' : char('a' + tirage % 26);
                ++colonne;
            }
        }
        if (fichier.write(bloc) != bloc.size())
            echec("écriture du texte");
        fait += bloc.size();
    }
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void afficher(const QString& nom, const std::vector<double>& v, const char* unite) {
    const auto [bas, haut] = std::minmax_element(v.begin(), v.end());
    const QString titre = u"%1 (%2 essais, %3 à %4 %5)"_s.arg(nom)
                              .arg(v.size())
                              .arg(*bas, 0, 'f', 0)
                              .arg(*haut, 0, 'f', 0)
                              .arg(QString::fromUtf8(unite));
    std::printf("%s;%.3f;0;-\n", titre.toUtf8().constData(), mediane(v));
    (void)std::fflush(stdout);
}

void cas(const QTemporaryDir& dossier, const QString& nom, qint64 taille, int ligne) {
    std::vector<double> ecran, charge, fin, pointe;
    for (int i = 0; i < k_essais; ++i) {
        // Un fichier neuf pour chaque essai.
        const QString chemin = dossier.filePath(u"T%1.TXT"_s.arg(i));
        ecrire_texte(chemin, taille, ligne);
        const Mesure m = un_essai(chemin, dossier.path());
        QFile::remove(chemin);
        ecran.push_back(m.premier_ecran_ms);
        charge.push_back(m.charge_ms);
        fin.push_back(m.fin_ms);
        pointe.push_back(m.pointe_mio);
    }
    afficher(nom + u" : premier écran"_s, ecran, "ms");
    afficher(nom + u" : tout le texte chargé"_s, charge, "ms");
    afficher(nom + u" : Ctrl+Fin"_s, fin, "ms");
    // La mémoire en Mio dans la colonne des millisecondes.
    afficher(nom + u" : mémoire de pointe au-dessus du cadre (Mio)"_s, pointe, "Mio");
}

} // namespace

int main(int argc, char** argv) {
    // BANC_TEXTE_MO : taille du texte ordinaire (200 par défaut).
    const qint64 ordinaire = qEnvironmentVariableIntValue("BANC_TEXTE_MO") > 0
                                 ? qEnvironmentVariableIntValue("BANC_TEXTE_MO")
                                 : 200;
    QTemporaryDir dossier;
    if (!dossier.isValid())
        echec("répertoire temporaire");
    const QString quoi = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (quoi.isEmpty() || quoi == u"ligne")
        cas(dossier, u"texte de 50 Mio sur une ligne"_s, 50 * k_mio, 0);
    if (quoi.isEmpty() || quoi == u"ordinaire")
        cas(dossier, u"texte de %1 Mo en lignes de 80"_s.arg(ordinaire), ordinaire * 1000 * 1000,
            80);
    return 0;
}
