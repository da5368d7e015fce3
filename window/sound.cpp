// The plane as sound: F3 plays the line, Shift+F3 says its landmarks.

#include "frmRecta.h"
#include "landmarks.h"
#include "pointentry.h"
#include "sonify.h"
#include "soundplayer.h"
#include "texts.h"

#include <QAction>
#include <QMenu>

void frmRecta::addSound()
{
    auto *listen = new QAction(texts::listenToLine, this);
    listen->setObjectName(QStringLiteral("listenToLine"));
    listen->setShortcut(QKeySequence(Qt::Key_F3));
    auto *describe = new QAction(texts::describeLine, this);
    describe->setObjectName(QStringLiteral("describeLine"));
    describe->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    for (QAction *action : { listen, describe }) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        addAction(action);
        planeMenu->addAction(action);
    }
    connect(listen, &QAction::triggered, this, [this] { dispatcher.run([this] { escoltar(); }); });
    connect(
        describe, &QAction::triggered, this, [this] { dispatcher.run([this] { descriure(); }); });
    // Escape stops the sound; only while it plays, so that Escape keeps its other uses.
    stopSound = new QAction(this);
    stopSound->setObjectName(QStringLiteral("stopSound"));
    stopSound->setShortcut(QKeySequence(Qt::Key_Escape));
    stopSound->setShortcutContext(Qt::WindowShortcut);
    stopSound->setEnabled(false);
    addAction(stopSound);
    connect(stopSound, &QAction::triggered, this, [this] { aturarSo(); });
}

void frmRecta::escoltar()
{
    if (sound && sound->isPlaying()) {
        aturarSo();
        return;
    }
    const auto line = currentLine(state);
    if (!line) {
        state.shown.landmarks = texts::said.noLine;
        return;
    }
    std::optional<numtext::StraightLine> kept;
    if (state.plane.kept)
        kept = state.plane.kept->line;
    const QString landmarks = landmarks::landmarkSentences(*line, kept);
    if (!sound) {
        // Made on the first request, so that start-up never touches the sound system.
        sound = new SoundPlayer(this);
        connect(sound, &SoundPlayer::finished, this, [this] { soundEnded(); });
        connect(sound, &SoundPlayer::noSoundDevice, this,
            [this] { dispatcher.run([this] { state.shown.noSound = true; }); });
    }
    if (!sound->play(sonify::sweep(*line, kept), sonify::sampleRate)) {
        // Nothing to hear: the landmarks are said at once.
        state.shown.landmarks = landmarks;
        return;
    }
    landmarksAfterSound = landmarks;
    stopSound->setEnabled(true);
}

void frmRecta::aturarSo()
{
    // A sweep the pupil stops is followed by nothing.
    landmarksAfterSound.clear();
    if (sound)
        sound->stop();
}

void frmRecta::soundEnded()
{
    stopSound->setEnabled(false);
    // A sweep that played to its end, or that the device broke off, is followed by its
    // landmarks.
    const QString landmarks = std::exchange(landmarksAfterSound, QString());
    if (!landmarks.isEmpty())
        dispatcher.run([this, landmarks] { state.shown.landmarks = landmarks; });
}

void frmRecta::descriure()
{
    const auto line = currentLine(state);
    std::optional<numtext::StraightLine> kept;
    if (state.plane.kept)
        kept = state.plane.kept->line;
    state.shown.landmarks = line ? landmarks::landmarkSentences(*line, kept) : texts::said.noLine;
}
