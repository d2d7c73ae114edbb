#include "app/MessageBox.h"

#include <QApplication>

#include "app/ProductInfo.h"

namespace {
MessageHandler& Handler() {
  static MessageHandler handler;
  return handler;
}
}  // namespace

void SetMessageHandler(MessageHandler handler) { Handler() = std::move(handler); }

QMessageBox::StandardButton ShowMessage(const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) {
  if (Handler()) return Handler()(text, buttons);
  // The texts join lines with "\r\n"; the box wants plain line feeds.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon, GetProductName(), shown, buttons, QApplication::activeWindow());
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton ShowMessage(const std::wstring& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) {
  return ShowMessage(QString::fromStdWString(text), buttons, icon);
}
