// The About box: product name and version.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
