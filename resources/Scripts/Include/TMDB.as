// TMDB (The Movie Database), read by the "TMDB" script through its API version 3 with the
// user's own free API key, asked for once and remembered. TMDB_LANGUAGE chooses the language
// of titles, plots and genres; TMDB_CAST how many actors are taken, in billing order.
const string TMDB_API = 'https://api.themoviedb.org/3';
const string TMDB_IMAGES = 'https://image.tmdb.org/t/p/w500';
const string TMDB_AGENT = 'Reelkeep/1.0 (desktop movie catalog; TMDB script)';
const uint TMDB_PAUSE = 300;
const string TMDB_LANGUAGE = 'en-US';
const uint TMDB_CAST = 15;
