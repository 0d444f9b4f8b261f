// The English Wikipedia, read by the "Wikipedia" script through its public API (no key
// needed). The agent names the program, as Wikipedia asks of every client; the pause between
// two requests keeps the script a polite, one-request-at-a-time reader.
const string WIKIPEDIA_API = 'https://en.wikipedia.org/w/api.php';
const string WIKIPEDIA_AGENT = 'Reelkeep/1.0 (desktop movie catalog; Wikipedia script)';
const uint WIKIPEDIA_PAUSE = 1000;
