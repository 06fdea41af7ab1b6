// simhost_session: placeholder until the stand-in host lands.
int main() { return 0; }
