// A handler connected outside the exception boundary, with no reason given: the connection check fails.
#include <QPushButton>

void Wire(QPushButton* button, void (*handler)()) {
    QObject::connect(button, &QPushButton::clicked, button, [handler] { handler(); });
}
