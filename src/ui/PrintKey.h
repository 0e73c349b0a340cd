#pragma once

class QPushButton;

// Ctrl+P (the platform's print key) in the button's window clicks the button, while it can be clicked.
void PrintOnKey(QPushButton& print);
