// Every message box of the program goes through here, so that tests can
// answer them instead of blocking on a modal window.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <string>

// Shows text in a message box with the given buttons and returns the button
// pressed.  The caption is the product name.
QMessageBox::StandardButton ShowMessage(const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::Icon icon = QMessageBox::Information);
QMessageBox::StandardButton ShowMessage(const std::wstring& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::Icon icon = QMessageBox::Information);

// Replaces the message box by handler (null restores the box).  The handler
// gets the text and the buttons and returns the answer.
using MessageHandler = std::function<QMessageBox::StandardButton(const QString&, QMessageBox::StandardButtons)>;
void SetMessageHandler(MessageHandler handler);
