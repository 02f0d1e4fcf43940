// The floor for start-up: a console program that does nothing, built like the cleanup program.
int main() { return 0; }
