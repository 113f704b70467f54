// The program's entry arrives with the main loop; until then the executable
// only proves that every library links.
int main() { return 0; }
