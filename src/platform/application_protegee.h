#pragma once
// Filet de sécurité : une erreur d'exécution qu'aucune étape n'a traitée ne
// doit ni traverser la boucle d'événements de Qt (comportement indéfini) ni
// fermer le programme sans un mot. Elle est expliquée, et le programme reste.
#include "platform/erreurs.h"
#include <QApplication>
#include <functional>

namespace plateforme {

// Charge la traduction française de Qt ; faux si elle manque.
bool installer_traduction_qt(QCoreApplication& application);

// Icône de toutes les fenêtres du programme, lue d'un PNG sans passer par
// les greffons d'images ; faux si elle n'a pu être lue.
bool poser_icone_programme(const QString& chemin_png);

class ApplicationProtegee : public QApplication {
public:
    // 'imbriquee' : l'erreur vient d'une boucle locale (dialogue, attente) et
    // le traitement qui l'a ouverte tourne encore : ne rien défaire sous lui.
    using Rapport = std::function<void(const ErreurExecution&, bool imbriquee)>;

    ApplicationProtegee(int& argc, char** argv);
    // Ce qui explique l'erreur à l'usager (et remet l'état du programme).
    void definir_rapport(Rapport rapport) { m_rapport = std::move(rapport); }
    bool notify(QObject* destinataire, QEvent* evenement) override;
    // Le même filet pour une étape hors de la boucle d'événements (le
    // démarrage, avant exec()) ; faux si une erreur a dû être expliquée.
    bool proteger(const std::function<void()>& etape);

    // Traduit l'exception en cours en erreur d'exécution (7 pour la mémoire,
    // 5 pour le reste) ; à appeler dans un bloc catch.
    static ErreurExecution erreur_en_cours();

private:
    void signaler(const ErreurExecution& erreur, bool imbriquee);
    Rapport m_rapport;
    int m_profondeur = 0;
    bool m_dans_rapport = false;
};

} // namespace plateforme
