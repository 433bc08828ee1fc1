// A process that ends as soon as it has started: churn for the tests.
int main() { return 0; }
