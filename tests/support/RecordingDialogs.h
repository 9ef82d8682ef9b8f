#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "view/Dialogs.h"

// Keeps every text shown and answers file dialogs from a queue (an empty
// answer is a cancel). A test can act from inside a message, as a user would
// while the box is up.
class RecordingDialogs : public Dialogs {
  public:
    void message(const QString& text) override {
        messages << text;
        if (onMessage) onMessage(text);
    }
    void errorBox(const QString& text) override { errors << text; }
    // Answered from the queue; Descartar when it is empty.
    Unsaved askUnsaved(const QString& text, const QString& keep = QStringLiteral("Guardar"),
                       const QString& drop = QStringLiteral("Descartar")) override {
        questions << text;
        buttons = {keep, drop};
        if (answers.empty()) return Unsaved::Descartar;
        const Unsaved answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> openFileName(const FileDialogOptions& options) override {
        lastOptions = options;
        return answer();
    }
    std::optional<QString> saveFileName(const FileDialogOptions& options) override {
        lastOptions = options;
        return answer();
    }
    std::optional<ChosenFile> saveFile(const FileDialogOptions& options) override {
        const auto path = saveFileName(options);
        if (!path) return std::nullopt;
        return ChosenFile{*path, chosenFilter, chosenOffset, chosenLane, chosenSwap, false};
    }
    std::optional<ChosenFile> openFile(const FileDialogOptions& options) override {
        const auto path = openFileName(options);
        if (!path) return std::nullopt;
        return ChosenFile{*path, 0, chosenOffset, chosenLane, chosenSwap, chosenKeepRest};
    }

    void clear() {
        messages.clear();
        errors.clear();
        questions.clear();
    }

    QStringList messages;
    QStringList errors;
    QStringList questions;
    // The first two buttons of the last question.
    QStringList buttons;
    std::deque<Unsaved> answers;
    std::deque<QString> fileAnswers;
    FileDialogOptions lastOptions;
    // The filter a save dialog answers with.
    int chosenFilter = 0;
    // What "Desplazamiento" and "Carril" answer with.
    QString chosenOffset = QStringLiteral("0");
    int chosenLane = 0;
    bool chosenSwap = false;
    bool chosenKeepRest = false;
    std::function<void(const QString&)> onMessage;

  private:
    std::optional<QString> answer() {
        if (fileAnswers.empty()) return std::nullopt;
        QString path = fileAnswers.front();
        fileAnswers.pop_front();
        if (path.isEmpty()) return std::nullopt;
        return path;
    }
};
