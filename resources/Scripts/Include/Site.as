// The movie site that "Search Title" and "Fetch Details" read. Point it at the site you use;
// its pages are expected to mark their parts with the class names the two scripts look for.
const string SITE = 'http://localhost:8080';
