#pragma once
// Dialogues scriptés : répondent depuis une file, notent chaque question et
// signalent toute question inattendue ou toute réponse restée inutilisée.
#include "platform/dialogues.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace essai {

struct Question {
    QString genre; // "message", "message_dialogue", "saisie", "ouvrir_fichier",
                   // "enregistrer_fichier"
    QString texte; // texte, invite ou filtre, tel que reçu
    QString titre;
    int style = 0;       // message : style d'origine
    QStringList boutons; // libellés des boutons (message et message_dialogue)
    QString icone;       // "16", "32", "48", "64", un fichier d'image ou ""
    QString defaut;      // saisie : texte proposé ; fichiers : répertoire
};

// S'installe comme service à la construction et se retire à la destruction.
class DialoguesScriptes : public plateforme::ServiceDialogues {
public:
    DialoguesScriptes();
    ~DialoguesScriptes() override;
    DialoguesScriptes(const DialoguesScriptes&) = delete;
    DialoguesScriptes& operator=(const DialoguesScriptes&) = delete;

    // Réponses attendues, consommées dans l'ordre. repondre() sert
    // message() (1 à 7, un bouton du style) et message_dialogue() (1 à 3).
    void repondre(int reponse);
    void repondre_saisie(const QString& texte);
    void repondre_fichier(const QString& chemin_hote); // ouvrir ou enregistrer

    const QList<Question>& questions() const { return m_questions; }
    Question dernier() const { return m_questions.value(m_questions.size() - 1); }
    int bips() const { return m_bips; }
    // Vrai si aucune question inattendue n'est venue et que toutes les
    // réponses ont servi ; sinon le motif est écrit par qWarning.
    bool verifier() const;
    QStringList anomalies() const;
    int reponses_restantes() const { return int(m_file.size()); }
    // Appelée à chaque question, avant sa réponse (rendre une ressource que
    // l'essai avait retirée, par exemple).
    std::function<void(const Question&)> avant_reponse;

    int message(const QString& texte, int style, const QString& titre) override;
    QString saisie(const QString& invite, const QString& titre,
                   const QString& defaut = {}) override;
    int message_dialogue(const QString& texte, const QString& bouton1, const QString& bouton2,
                         const QString& bouton3, const QString& icone,
                         const QString& titre) override;
    QString ouvrir_fichier(const QString& titre, const QString& filtre,
                           const QString& repertoire) override;
    QString enregistrer_fichier(const QString& titre, const QString& filtre,
                                const QString& repertoire) override;
    void bip() override { ++m_bips; }

private:
    enum class Genre { Entier, Texte, Fichier };
    struct Reponse {
        Genre genre;
        int entier = 0;
        QString texte;
    };
    // Retire la réponse suivante si elle est du genre voulu ; sinon note
    // l'anomalie et rend faux.
    bool prendre(Genre genre, const Question& q, Reponse& r);
    void noter(const QString& anomalie);

    QList<Reponse> m_file;
    QList<Question> m_questions;
    QStringList m_anomalies;
    int m_bips = 0;
};

} // namespace essai
