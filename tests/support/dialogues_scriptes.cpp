#include "support/dialogues_scriptes.h"

#include <QDebug>

namespace essai {

using namespace plateforme;

namespace {

QString resume(const Question& q) {
    QString texte = q.texte;
    texte.replace(QLatin1Char('\r'), QLatin1Char('|'));
    return QStringLiteral("%1 « %2 » (titre « %3 »)").arg(q.genre, texte, q.titre);
}

// Réponse à une question inattendue : celle qui renonce.
int reponse_prudente(const DescriptionStyle& d) {
    if (d.echappement)
        return d.echappement;
    return d.boutons.contains(REP_NON) ? int(REP_NON) : d.boutons.first();
}

} // namespace

DialoguesScriptes::DialoguesScriptes() {
    installer_dialogues(this);
}

DialoguesScriptes::~DialoguesScriptes() {
    installer_dialogues(nullptr);
    if (!m_file.isEmpty())
        qWarning("DialoguesScriptes : %d réponse(s) inutilisée(s)", int(m_file.size()));
}

void DialoguesScriptes::repondre(int reponse) {
    m_file.append({Genre::Entier, reponse, {}});
}

void DialoguesScriptes::repondre_saisie(const QString& texte) {
    m_file.append({Genre::Texte, 0, texte});
}

void DialoguesScriptes::repondre_fichier(const QString& chemin_hote) {
    m_file.append({Genre::Fichier, 0, chemin_hote});
}

QStringList DialoguesScriptes::anomalies() const {
    QStringList liste = m_anomalies;
    for (const Reponse& r : m_file)
        liste << QStringLiteral("réponse inutilisée : %1")
                     .arg(r.genre == Genre::Entier ? QString::number(r.entier) : r.texte);
    return liste;
}

bool DialoguesScriptes::verifier() const {
    const QStringList liste = anomalies();
    for (const QString& a : liste)
        qWarning().noquote() << "DialoguesScriptes :" << a;
    return liste.isEmpty();
}

void DialoguesScriptes::noter(const QString& anomalie) {
    m_anomalies << anomalie;
    qWarning().noquote() << "DialoguesScriptes :" << anomalie;
}

bool DialoguesScriptes::prendre(Genre genre, const Question& q, Reponse& r) {
    m_questions.append(q);
    if (avant_reponse)
        avant_reponse(q);
    if (m_file.isEmpty() || m_file.first().genre != genre) {
        noter(QStringLiteral("question inattendue : ") + resume(q));
        return false;
    }
    r = m_file.takeFirst();
    return true;
}

int DialoguesScriptes::message(const QString& texte, int style, const QString& titre) {
    const DescriptionStyle d = decrire_style(style);
    Question q{QStringLiteral("message"), texte, titre, style, {}, {}, {}};
    for (int b : d.boutons)
        q.boutons << libelle_reponse(b);
    q.icone = d.icone ? QString::number(d.icone) : QString();
    Reponse r;
    if (!prendre(Genre::Entier, q, r))
        return reponse_prudente(d);
    if (!d.boutons.contains(r.entier))
        noter(QStringLiteral("réponse %1 sans bouton : ").arg(r.entier) + resume(q));
    return r.entier;
}

int DialoguesScriptes::message_dialogue(const QString& texte, const QString& bouton1,
                                        const QString& bouton2, const QString& bouton3,
                                        const QString& icone, const QString& titre) {
    const QStringList boutons{bouton1, bouton2, bouton3};
    Reponse r;
    if (!prendre(Genre::Entier,
                 {QStringLiteral("message_dialogue"), texte, titre, 0, boutons, icone, {}}, r))
        return 3;
    // Échap donne 3 en tout cas ; sans aucun libellé, seul OK (1) est montré.
    const bool sans_bouton = boutons.join(QString()).isEmpty();
    const bool montre =
        r.entier >= 1 && r.entier <= 3 &&
        (r.entier == 3 || !boutons[r.entier - 1].isEmpty() || (sans_bouton && r.entier == 1));
    if (!montre)
        noter(QStringLiteral("réponse %1 sans bouton : ").arg(r.entier) +
              resume(m_questions.last()));
    return r.entier;
}

QString DialoguesScriptes::saisie(const QString& invite, const QString& titre,
                                  const QString& defaut) {
    Reponse r;
    prendre(Genre::Texte, {QStringLiteral("saisie"), invite, titre, 0, {}, {}, defaut}, r);
    return r.texte;
}

QString DialoguesScriptes::ouvrir_fichier(const QString& titre, const QString& filtre,
                                          const QString& repertoire) {
    Reponse r;
    prendre(Genre::Fichier,
            {QStringLiteral("ouvrir_fichier"), filtre, titre, 0, {}, {}, repertoire}, r);
    return r.texte;
}

QString DialoguesScriptes::enregistrer_fichier(const QString& titre, const QString& filtre,
                                               const QString& repertoire) {
    Reponse r;
    prendre(Genre::Fichier,
            {QStringLiteral("enregistrer_fichier"), filtre, titre, 0, {}, {}, repertoire}, r);
    return r.texte;
}

} // namespace essai
