#include "forms/fibonacci/frmFibonacci.h"

frmFibonacci::frmFibonacci(QWidget* parent) : QWidget(parent) { setWindowTitle("Fibonacci"); setObjectName("frmFibonacci"); }
frmFibonacci86::frmFibonacci86(QWidget* parent) : QWidget(parent) { setWindowTitle("Fibonacci"); setObjectName("frmFibonacci86"); }
