// In progress: replaced by the real implementation.
int main() { return 0; }
