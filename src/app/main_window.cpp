#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/accelerator_table.h"
#include "app/control_panel.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/first_start.h"
#include "app/dialogs/program_restart.h"
#include "app/graph_view.h"
#include "app/image_canvas.h"
#include "app/qt_dialogs.h"
#include "app/window_placement.h"
#include "audio/level_meter.h"
#include "audio/recording_engine.h"
#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "settings/settings.h"
#include "settings/settings_location.h"
#include "settings/ui_text.h"
#include "shell/dispatch_command.h"
#include "shell/file_opening.h"
#include "stream/open_stream.h"
#include "view/range_menu.h"
#include "view/view_painter.h"
#include "view/view_texts.h"

namespace quillane {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

// The position bar's scale and its first placement (layoutMainWindow places it).
constexpr int kPositionBarRange = 1000;
constexpr int kPositionBarHeight = 16;
// Space between the graph window and the control panel that holds the position bar.
constexpr int kGraphToPanel = 24;
constexpr int kPositionBarToPanel = 20;

ScrollCode scrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollCode::LineLeft;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollCode::LineRight;
    case QAbstractSlider::SliderPageStepSub: return ScrollCode::PageLeft;
    case QAbstractSlider::SliderPageStepAdd: return ScrollCode::PageRight;
    case QAbstractSlider::SliderMove: return ScrollCode::ThumbTrack;
    default: return ScrollCode::Other;
  }
}

bool isFieldKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), levelGraph_(std::make_unique<LevelGraph>()) {
  setObjectName(QStringLiteral("QuillaneWndClass"));
  setWindowTitle(QStringLiteral("Quillane"));
  menu_ = buildMainMenu(menuBar(), session_.text, [this](int id) { runCommand(id); });
  // Opening a file adds it to the recent list inside the core; the entries are
  // brought up to date whenever the menu opens.
  connect(menu_.file, &QMenu::aboutToShow, this, [this] { rebuildRecentMenu(); });
  // A menu closed with Escape leaves the menu bar waiting for keys; the keys go
  // back to the window (the graph's navigation keys) instead.
  for (QMenu* menu : {menu_.file, menu_.edit, menu_.special, menu_.list, menu_.settings, menu_.help}) {
    connect(menu, &QMenu::aboutToHide, this, [this] {
      QTimer::singleShot(0, this, [this] { leaveMenuBar(); });
    });
  }
  buildStatusBar();
  buildCentralArea();
  marginButtonEnabled_ = session_.settings.margin != 0;
  // The refreshes set the check marks only while a file is open; without one
  // they must still show the settings read at start-up.
  const Settings& s = session_.settings;
  const std::pair<int, int32_t> checks[] = {
      {cmd::kToggleBigTimer, s.big_timer},   {cmd::kToggleMilliseconds, s.show_milisec},
      {cmd::kToggleDbScale, s.db_scale},     {cmd::kToggleAutoselect, s.autoselect},
      {cmd::kToggleMargin, s.margin},        {cmd::kToggleBitrateGraph, s.bitrate_graph},
      {cmd::kToggleBigRelative, s.big_relative}};
  for (auto [id, value] : checks) menu_.items.at(id)->setChecked(value != 0);
  updateCommandAvailability();
  qApp->installEventFilter(this);
  // The output device's notices come to the window, which refreshes after each.
  session_.playback.noticeHandler = [this](int bufferIndex) {
    playbackBufferReturned(session_, *this, bufferIndex);
  };
  // So do the input device's, one filled buffer at a time, in capture order.
  session_.recording.noticeHandler = [this](int bufferIndex, uint32_t bytes) {
    recordBufferFilled(session_, *this, bufferIndex, bytes);
  };
}

MainWindow::~MainWindow() {
  stopPlayback(session_);
  if (session_.recordInitialised) stopRecording(session_, *this);
  session_.playback.noticeHandler = nullptr;
  session_.recording.noticeHandler = nullptr;
  qApp->removeEventFilter(this);
}

void MainWindow::buildStatusBar() {
  statusLabel_ = new QLabel(QStringLiteral(" "));
  statusLabel_->setObjectName(QStringLiteral("control%1").arg(ctl::kStatusBar));
  statusLabel_->setProperty("controlId", ctl::kStatusBar);
  statusBar()->addWidget(statusLabel_, 1);
  statusBar()->setSizeGripEnabled(true);
}

void MainWindow::buildCentralArea() {
  area_ = new QWidget(this);
  area_->setObjectName(QStringLiteral("area"));
  setCentralWidget(area_);

  graph_ = new GraphView(area_);
  graph_->setGeometry(0, 0, 450, 100);
  graph_->onMouse = [this](MouseKeys keys, int x, int y, bool pressed) { onGraphMouse(keys, x, y, pressed); };
  graph_->onWheel = [this](int notches, bool shift, bool ctrl) { graphWheel(session_, *this, notches, shift, ctrl); };

  positionBar_ = new QScrollBar(Qt::Horizontal, area_);
  positionBar_->setObjectName(QStringLiteral("Position"));
  positionBar_->setRange(0, kPositionBarRange);
  positionBar_->setFocusPolicy(Qt::NoFocus);
  positionBar_->setGeometry(0, 104, 450, kPositionBarHeight);
  connect(positionBar_, &QScrollBar::actionTriggered, this, [this](int action) { onPositionBarAction(action); });

  panel_ = new ControlPanel(session_.text, session_.settings.showtt != 0, area_);
  panel_->adjustSize();
  connect(panel_, &ControlPanel::commandClicked, this, [this](int id) { runCommand(id); });

  // Tab walks the window's parts in the order they are seen: the graph, the two
  // fields, the buttons. A click on a button keeps the focus where it was, so
  // the keys stay with what the user was working on.
  graph_->setFocusPolicy(Qt::StrongFocus);
  panel_->positionField()->setFocusPolicy(Qt::StrongFocus);
  panel_->selectionField()->setFocusPolicy(Qt::StrongFocus);
  QWidget* previous = graph_;
  for (QWidget* next : std::initializer_list<QWidget*>{panel_->positionField(), panel_->selectionField()}) {
    setTabOrder(previous, next);
    previous = next;
  }
  for (QPushButton* button : panel_->findChildren<QPushButton*>()) {
    button->setFocusPolicy(Qt::TabFocus);
    setTabOrder(previous, button);
    previous = button;
  }

  // Room for the panel and a graph of some height.
  area_->setMinimumSize(panel_->minimumSizeHint().width(), panel_->sizeHint().height() + kGraphToPanel + 40);
}

void MainWindow::start(const std::string& commandLineFile, bool firstStartDialogs) {
  placeAtStoredRectangle();
  setAcceptDrops(true);
  show();
  // Shown, the window has the size it really takes (never less than its contents
  // need, which may be more than was stored): it is moved until all of it is on
  // the screen. A window manager's frame may come later; frameMayHaveArrived
  // looks again then.
  keepFrameOnScreen();
  graph_->setFocus(Qt::OtherFocusReason);
  if (firstStartDialogs)
    showFirstStartDialogs(session_, *this, languageFolders(programDataFolder(), session_.settingsFile));
  openCommandLineFile(session_, *this, commandLineFile);
  rebuildRecentMenu();
  rebuildRangeMenu();
  if (session_.settings.high_pri) raiseProcessPriority();
}

void MainWindow::placeAtStoredRectangle() {
  // The stored rectangle is the frame's position and the inside's size, as the
  // window had them: the same window again, whatever frame the desktop draws.
  // Whatever the settings file held, the window starts on a screen that is there
  // now, no larger than that screen; on the first start it takes two thirds of
  // the screen, in the middle.
  const Settings& s = session_.settings;
  const QList<QRect> screens = availableScreenAreas();
  const Settings defaults;
  const bool firstStart = s.window_x == defaults.window_x && s.window_y == defaults.window_y &&
                          s.window_w == defaults.window_w && s.window_h == defaults.window_h;
  const QRect stored = firstStart && !screens.isEmpty() ? firstStartRectangle(screens.front(), minimumSizeHint())
                                                        : QRect(s.window_x, s.window_y, s.window_w, s.window_h);
  const QRect placed = placeOnScreens(stored.x(), stored.y(), stored.width(), stored.height(), screens);
  move(placed.topLeft());
  resize(placed.size());
}

void MainWindow::keepFrameOnScreen() {
  const QRect frame = frameGeometry();
  const QSize frameExtra = frame.size() - size();
  if (!frameExtra.isNull()) frameChecked_ = true;
  const QRect onScreen = placeOnScreens(frame.x(), frame.y(), frame.width(), frame.height(), availableScreenAreas());
  if (onScreen == frame) return;
  if (onScreen.size() != frame.size()) resize((onScreen.size() - frameExtra).expandedTo(QSize(1, 1)));
  move(onScreen.topLeft());
}

void MainWindow::frameMayHaveArrived() {
  // A window manager frames the window after it was shown: the first time the
  // frame shows in the geometry, the window is fitted with it once more.
  if (frameChecked_ || !isVisible() || frameGeometry().size() == size()) return;
  keepFrameOnScreen();
}

void MainWindow::layoutMainWindow() {
  const int width = area_->width();
  const int height = area_->height();
  const int panelHeight = panel_->sizeHint().height();
  const int panelTop = height - panelHeight;
  graph_->setGeometry(0, 0, width, std::max(0, panelTop - kGraphToPanel));
  positionBar_->setGeometry(0, panelTop - kPositionBarToPanel, width, kPositionBarHeight);
  // The panel keeps its height; it spans the width so that the fields can show
  // their whole texts.
  panel_->setGeometry(0, panelTop, width, panelHeight);
  graphGeometryChanged();
  graph_->resizeBackBuffer();
  refreshView(session_.recordInitialised ? kRefreshRecording : kRefreshSelection);
}

// --- Host ---------------------------------------------------------------------

MessageAnswer MainWindow::messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                     MessageButtons buttons, MessageAnswer defaultAnswer) {
  return showMessageBox(this, text, caption, icon, buttons, defaultAnswer);
}

bool MainWindow::openFileDialog(const FileDialogRequest& request, std::string& path) {
  return showOpenFileDialog(this, request, path);
}

bool MainWindow::saveFileDialog(const FileDialogRequest& request, std::string& path) {
  return showSaveFileDialog(this, request, path);
}

void MainWindow::beep() { QApplication::beep(); }

// --- ShellHost ----------------------------------------------------------------

void MainWindow::refreshView(int level) {
  const ViewTexts t = refreshTexts(session_, level, &session_.meter);
  if (t.title) setWindowTitle(qt(*t.title));
  if (t.statusText) statusLabel_->setText(qt(*t.statusText));
  for (auto [field, text] : {std::pair{panel_->positionField(), &t.positionField},
                             std::pair{panel_->selectionField(), &t.selectionField}}) {
    if (!*text) continue;
    field->setText(qt(**text));
    // Show the beginning of a text that is wider than the field.
    if (!field->hasFocus()) field->setCursorPosition(0);
  }
  if (t.positionBar) {
    const QSignalBlocker blocker(positionBar_);
    positionBar_->setValue(*t.positionBar);
  }
  if (t.marginLabel) {
    QPushButton* margin = panel_->button(cmd::kMargin);
    if (meterMarginTextDiffers(margin->text().toStdString(), *t.marginLabel)) margin->setText(qt(*t.marginLabel));
  }
  if (t.marginButtonEnabled) marginButtonEnabled_ = *t.marginButtonEnabled;
  if (t.settingsChecks) {
    for (int i = 0; i < kSettingsCheckItems; ++i)
      menu_.items.at(kFirstSettingsCheckItem + i)->setChecked((*t.settingsChecks)[i]);
  }
  updateCommandAvailability();
  repaintGraph();
}

void MainWindow::repaintGraph() {
  QImage& image = graph_->backBuffer();
  if (image.isNull()) return;
  ImageCanvas canvas(image);
  paintView(session_, geometry_, *levelGraph_, canvas);
  graph_->update();
}

void MainWindow::updateCommandAvailability() {
  for (auto& [id, action] : menu_.items) action->setEnabled(commandAvailable(session_, *this, id));
  for (auto& [id, button] : panel_->buttons()) {
    bool enabled = commandAvailable(session_, *this, id);
    if (id == cmd::kMargin) enabled = enabled && marginButtonEnabled_;
    button->setEnabled(enabled);
  }
}

void MainWindow::rebuildRangeMenu() {
  std::vector<RangeMenuItem> items = rangeMenuItems(session_);
  for (RangeMenuItem& item : items) {
    if (item.commandId != 0) item.enabled = item.enabled && commandAvailable(session_, *this, item.commandId);
  }
  fillRangeMenu(menu_.list, items, [this](int id) { runCommand(id); });
}

void MainWindow::rebuildRecentMenu() {
  fillRecentEntries(menu_.file, recentMenuItems(session_.settings), [this](int id) { runCommand(id); });
}

int MainWindow::runDialog(int dialogId) { return runWindowDialog(dialogId, session_, *this, this); }

bool MainWindow::dialogAvailable(int dialogId) const { return hasWindowDialog(dialogId); }

void MainWindow::startTimer(int timerId, int milliseconds) {
  QTimer*& timer = timers_[timerId];
  if (!timer) {
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer%1").arg(timerId));
    timer->setProperty("timerId", timerId);
    connect(timer, &QTimer::timeout, this, [this, timerId] { timerFired(timerId); });
  }
  // Like a window timer it fires every period until stopped; starting it again
  // restarts the period.
  timer->start(milliseconds);
}

void MainWindow::stopTimer(int timerId) {
  if (auto it = timers_.find(timerId); it != timers_.end()) it->second->stop();
}

void MainWindow::timerFired(int timerId) {
  if (timerId == tmr::kStartPlayback) {
    stopTimer(timerId);
    startPlaybackFromTimer();
  }
}

void MainWindow::startPlaybackFromTimer() { playbackTimerFired(session_, *this); }

void MainWindow::setButtonPressed(int controlId, bool pressed) {
  QPushButton* button = panel_->button(controlId);
  if (!button || !button->isCheckable()) return;
  const QSignalBlocker blocker(button);
  button->setChecked(pressed);
}

void MainWindow::setButtonText(int controlId, const std::string& text) {
  if (QPushButton* button = panel_->button(controlId)) button->setText(qt(text));
}

void MainWindow::fatalError(const std::string& text, const std::string& caption) {
  messageBox(text, caption, MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  std::exit(EXIT_FAILURE);
}

void MainWindow::focusControl(int controlId) {
  if (controlId == ctl::kPositionField) {
    panel_->positionField()->setFocus(Qt::ShortcutFocusReason);
  } else if (controlId == ctl::kSelectionField) {
    panel_->selectionField()->setFocus(Qt::ShortcutFocusReason);
  } else {
    graph_->setFocus(Qt::OtherFocusReason);
  }
}

void MainWindow::requestClose() { close(); }

void MainWindow::graphGeometryChanged() {
  const QSize size = graph_->clientSize();
  geometry_ = computeGraphGeometry(size.width(), size.height(), session_.settings.zoomlevel);
}

bool MainWindow::startTextEditor(const std::string& path) { return startTextEditorOn(path); }

bool MainWindow::openDocument(const std::string& path) { return openDocumentWithDesktop(path); }

void MainWindow::runCommand(int commandId, int notification) {
  dispatchCommand(session_, *this, commandId, notification);
}

// --- Input --------------------------------------------------------------------

void MainWindow::onPositionBarAction(int action) {
  if (session_.stream.audioEnd <= 0) return;
  const ScrollCode code = scrollCodeOf(action);
  if (code == ScrollCode::Other) return;
  positionBarScroll(session_, *this, code, positionBar_->sliderPosition());
}

void MainWindow::onGraphMouse(MouseKeys keys, int x, int y, bool pressed) {
  if (session_.stream.audioEnd <= 0) return;
  graphMouse(session_, *this, geometry_, keys, x, y, pressed);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Resize:
      if (watched == area_) layoutMainWindow();
      if (watched == this) frameMayHaveArrived();
      break;
    case QEvent::Move:
      if (watched == this) frameMayHaveArrived();
      break;
    case QEvent::FocusIn:
      if (panel_ && watched == panel_->selectionField())
        runCommand(cmd::kSelectionFieldFocus, cmd::kNotifySetFocus);
      break;
    case QEvent::KeyPress:
      // Keys for this window only; a menu bar in keyboard mode keeps its keys.
      if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
          !qobject_cast<QMenuBar*>(watched) && handleKeyPress(static_cast<QKeyEvent*>(event)))
        return true;
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::handleKeyPress(QKeyEvent* event) {
  QWidget* focus = focusWidget();
  QLineEdit* positionField = panel_->positionField();
  QLineEdit* selectionField = panel_->selectionField();
  if (focus == positionField || focus == selectionField) {
    // Keys typed into a field are text. Enter and Tab take the typed time, before
    // Qt's focus chain sees the Tab, and hand the keyboard back to the window.
    if (!isFieldKey(event->key())) return false;
    auto* field = static_cast<QLineEdit*>(focus);
    const std::string text = field->text().toStdString();
    const bool taken = focus == positionField ? enterPositionField(session_, *this, text)
                                              : enterSelectionField(session_, *this, text);
    if (!taken) {  // refused with a beep: the text stays, selected, for retyping
      field->selectAll();
      return true;
    }
    // Enter hands the keyboard back to the graph; Tab goes on to the next part.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab) return false;
    focusControl(0);
    return true;
  }
  // A button reached with Tab is pressed with Space or Enter, as in any window.
  const int key = event->key();
  if (auto* button = qobject_cast<QPushButton*>(focus);
      button && button->window() == this &&
      (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    if (button->isEnabled()) button->animateClick();
    return true;
  }
  if (const int command = acceleratorCommand(key, event->modifiers())) {
    runCommand(command);
    return true;
  }
  return false;
}

void MainWindow::leaveMenuBar() {
  if (QApplication::activePopupWidget()) return;  // another menu is open
  QMenuBar* bar = menuBar();
  if (!bar->hasFocus() && !bar->activeAction()) return;
  // Escape takes the menu bar out of its keyboard mode and gives the focus back.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(bar, &escape);
  if (!focusWidget() || focusWidget() == bar) graph_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  if (paths.empty()) return;
  event->acceptProposedAction();
  dropFiles(session_, *this, paths);
}

// --- Close and shutdown ---------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!shutDown_) {
    if (!closeRequested(session_, *this)) {
      event->ignore();
      return;
    }
    shutdown();
    shutDown_ = true;
  }
  event->accept();
}

void MainWindow::restartProgram() {
  const std::string file = session_.stream.isOpen() ? session_.stream.sourcePath : std::string();
  if (close()) startProgramAgain(file);
}

void MainWindow::shutdown() {
  for (auto& [id, timer] : timers_) timer->stop();
  if (session_.settings.high_pri) restoreNormalPriority();
  stopPlayback(session_);
  // A recording ends with everything it captured written out.
  if (session_.recordInitialised) stopRecording(session_, *this);
  closeStream(session_.stream);
  releaseUiText(session_.text);
  // A minimized or maximized window keeps the rectangle stored before. The frame's
  // position and the inside's size are stored: move and resize take them back
  // as they are, so the window neither grows nor wanders from start to start.
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    const QPoint framePosition = pos();
    session_.settings.window_x = framePosition.x();
    session_.settings.window_y = framePosition.y();
    session_.settings.window_w = width();
    session_.settings.window_h = height();
  }
  if (!session_.settingsFile.empty()) writeSettings(session_.settings, session_.settingsFile);
}

}  // namespace quillane
