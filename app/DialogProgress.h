// The progress window of a long import or export: the file path, a
// percentage, a bar and a Cancel button.  While it is open the main window is
// disabled, so the user can only press Cancel.
#pragma once

#include <QDialog>

class QAbstractButton;
class QLabel;
class QProgressBar;

class CDialogProgress : public QDialog {
  Q_OBJECT

public:
  // Disables owner (when enabled) until the window goes away.
  explicit CDialogProgress(QWidget* owner);
  ~CDialogProgress() override;

  void SetPath(const QString& path);
  // Sets the bar to percent and the text to "<p>%" (100 shows as 100).
  void SetPercent(int percent);
  int Percent() const;
  QString PercentText() const;
  bool CancelRequested() const { return m_cancelRequested; }
  void ClearCancel() { m_cancelRequested = false; }
  QAbstractButton* CancelButton() const;

protected:
  // Cancel only raises the flag; the operation ends the window.
  void reject() override;

private:
  QLabel* m_path;
  QLabel* m_percent;
  QProgressBar* m_bar;
  QAbstractButton* m_cancel;
  QWidget* m_owner;
  bool m_disabledOwner = false;
  bool m_cancelRequested = false;
};
