#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "app/main_menu.h"
#include "session/session.h"
#include "shell/shell_host.h"
#include "shell/window_input.h"
#include "view/graph_geometry.h"
#include "view/level_columns.h"

class QKeyEvent;
class QLabel;
class QScrollBar;
class QTimer;

namespace quillane {

class ControlPanel;
class GraphView;

// The main window: menu bar, graph window with its back buffer, position bar,
// control panel and status bar over one Session. It is the ShellHost of the
// command dispatcher; every host method is virtual so that tests can script
// the message boxes, file dialogs and dialogs.
class MainWindow : public QMainWindow, public ShellHost {
  Q_OBJECT
 public:
  explicit MainWindow(Session& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The rest of start-up once the window is built: lay out, accept drops, show,
  // open the command-line file, build the recent-file and "&List" entries and
  // raise the priority when the settings ask for it. The program's own start
  // (firstStartDialogs) shows the About box of a new version and the first
  // start's language question before the file opens.
  void start(const std::string& commandLineFile, bool firstStartDialogs = false);

  // A new language was chosen: the window closes as the close box would (the
  // unsaved-changes question, then the shutdown that writes the settings), and a
  // new instance of the program starts on the open file.
  virtual void restartProgram();

  // --- Host ---
  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons, MessageAnswer defaultAnswer) override;
  bool openFileDialog(const FileDialogRequest& request, std::string& path) override;
  bool saveFileDialog(const FileDialogRequest& request, std::string& path) override;
  void beep() override;

  // --- ShellHost ---
  void refreshView(int level) override;
  void rebuildRangeMenu() override;
  void rebuildRecentMenu() override;
  int runDialog(int dialogId) override;
  bool dialogAvailable(int dialogId) const override;
  void startTimer(int timerId, int milliseconds) override;
  void stopTimer(int timerId) override;
  void setButtonPressed(int controlId, bool pressed) override;
  void setButtonText(int controlId, const std::string& text) override;
  void fatalError(const std::string& text, const std::string& caption) override;
  void focusControl(int controlId) override;
  void requestClose() override;
  void graphGeometryChanged() override;
  bool startTextEditor(const std::string& path) override;
  bool openDocument(const std::string& path) override;

  // Runs a command as a menu item, key or button would.
  virtual void runCommand(int commandId, int notification = 0);

  // Places graph, position bar and control panel in the area above the status
  // bar, then renews the graph geometry and the back buffer and refreshes.
  void layoutMainWindow();

  // For tests and the window's parts.
  Session& session() { return session_; }
  const MainMenu& menu() const { return menu_; }
  ControlPanel* controlPanel() const { return panel_; }
  GraphView* graphView() const { return graph_; }
  QScrollBar* positionBar() const { return positionBar_; }
  QLabel* statusLabel() const { return statusLabel_; }
  const GraphGeometry& graphGeometry() const { return geometry_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  // A window timer ran out.
  virtual void timerFired(int timerId);
  // Timer 1809: the delayed start of playback, so that the pressed button is
  // drawn first.
  virtual void startPlaybackFromTimer();
  // Stops the audio, closes the file, releases the loaded texts, stores the
  // window's rectangle and writes the settings file.
  virtual void shutdown();

 private:
  void buildStatusBar();
  void buildCentralArea();
  void placeAtStoredRectangle();
  // Moves (and if need be shrinks) the window until its frame lies wholly on a
  // screen; once the window manager's frame is known it is not checked again.
  void keepFrameOnScreen();
  void frameMayHaveArrived();
  void repaintGraph();
  void updateCommandAvailability();
  void onPositionBarAction(int action);
  void onGraphMouse(MouseKeys keys, int x, int y, bool pressed);
  // Keys of the main window: table 900, except in the two text fields, where
  // Enter and Tab take the typed time.
  bool handleKeyPress(QKeyEvent* event);
  // After a menu closed: a menu bar left in its keyboard mode gives the keys
  // back to the window.
  void leaveMenuBar();

  Session& session_;
  MainMenu menu_;
  QWidget* area_ = nullptr;  // everything above the status bar
  GraphView* graph_ = nullptr;
  QScrollBar* positionBar_ = nullptr;
  ControlPanel* panel_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  GraphGeometry geometry_;
  std::unique_ptr<LevelGraph> levelGraph_;
  std::map<int, QTimer*> timers_;
  bool marginButtonEnabled_ = false;  // the setting margin, as the last full refresh saw it
  bool shutDown_ = false;
  bool frameChecked_ = false;  // the window manager's frame was seen and the window fitted with it
};

}  // namespace quillane
