// Keyword thesaurus: loading, lookup and the builder.
#include "mesh.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bank_file.h"
#include "errormsg.h"
#include "params.h"

namespace {

char *copyCut(const char *s) {
  size_t n = strcspn(s, "\r\n");
  char *r = new char[n + 1];
  memcpy(r, s, n);
  r[n] = 0;
  return r;
}

// The leading integer of a count line; false when the line holds none.
bool leadingInt(const std::string &line, int &v) {
  const char *p = line.c_str();
  p += strspn(p, " \t");
  const char *d = (*p == '+' || *p == '-') ? p + 1 : p;
  if (*d < '0' || *d > '9') return false;
  v = parseLong(p);
  return true;
}

// A line as the thesaurus keeps it: at most 1023 characters, cut at its first CR or LF.
bool meshLine(FILE *f, std::string &line) {
  if (!readLine(f, line)) return false;
  size_t n = line.find_first_of("\r\n");
  if (n != std::string::npos) line.resize(n);
  if (line.size() > 1023) line.resize(1023);
  return true;
}

}  // namespace

void Mesh::clear() {
  for (int i = 0; i < num; i++) {
    delete[] ks[i].Nm;
    delete[] ks[i].Sy;
  }
  delete[] ks;
  delete[] begF;
  ks = nullptr;
  begF = nullptr;
  num = numF = room = 0;
}

int Mesh::load(const char *file_name) {
  clear();
  FILE *f = openInput(file_name);  // a directory would read as an empty thesaurus
  if (!f) {
    printf("Cant't open mesh file %s", file_name);
    return 1;
  }
  std::string line;
  int nf = 0, n = 0;
  bool ok = meshLine(f, line) && leadingInt(line, nf) && nf >= 0 && nf < 1 << 20;
  std::vector<int> beg;
  for (int k = 0; ok && k <= nf; k++) {
    int v = 0;
    ok = meshLine(f, line) && leadingInt(line, v);
    beg.push_back(v);
  }
  ok = ok && meshLine(f, line) && leadingInt(line, n) && n >= 0;
  // The bucket starts must rise from 0 to the pair count.
  for (int k = 0; ok && k <= nf; k++)
    ok = beg[(size_t)k] >= 0 && beg[(size_t)k] <= n && (k == 0 || beg[(size_t)k - 1] <= beg[(size_t)k]);
  ok = ok && beg[0] == 0 && beg[(size_t)nf] == n;
  if (!ok) {
    fclose(f);
    printf("\n Mesh index file %s is corrupt: the thesaurus is empty", file_name);
    return 1;
  }
  ks = new (std::nothrow) NmSy[(size_t)n + 1]();
  begF = new (std::nothrow) int[(size_t)nf + 1];
  if (!ks || !begF) {
    fclose(f);
    printf("Not enouph room for loading mesh, index %d from %d", 0, n);
    exit(kExitBadInput);
  }
  std::copy(beg.begin(), beg.end(), begF);
  numF = nf;
  room = n;
  for (int i = 0; i < n; i++) {
    std::string sy, nm;
    if (!meshLine(f, sy) || !meshLine(f, nm)) {
      fclose(f);
      printf("Not enouph room for loading mesh, index %d from %d", i, n);
      fatalExit(kExitBadInput, "\n Mesh index file %s is cut short: it ends inside pair %d of %d",
                file_name, i, n);
    }
    ks[i].Sy = copyCut(sy.c_str());
    ks[i].Nm = copyCut(nm.c_str());
    num = i + 1;
  }
  fclose(f);
  return 0;
}

char *Mesh::findSyn(const char *word) const {
  if (num <= 0 || !ks || !begF || numF <= 0) return nullptr;
  int k = (int)(signed char)word[0] - (int)(signed char)ks[0].Sy[0];
  if (k < 0 || k >= numF) return nullptr;
  int first = begF[k], n = begF[k + 1] - first;
  if (n <= 0) return nullptr;
  int probe = n >= 2 ? first + (n + 1) / 2 : first;
  int left = probe - first, right = first + n - 1 - probe;
  for (;;) {
    int c = strcmp(word, ks[probe].Sy);
    if (c == 0) return _strdup_(ks[probe].Nm);
    if (c < 0) {
      if (left == 0) return nullptr;
      int d = (left + 1) / 2;
      probe -= d;
      right = d - 1;
      left -= d;
    } else {
      if (right == 0) return nullptr;
      int d = (right + 1) / 2;
      probe += d;
      left = d - 1;
      right -= d;
    }
  }
}

int Mesh::save(const char *file_name) const {
  FILE *f = fopen(file_name, "wb");
  if (!f) {
    printf("Cant't open mesh index file %s", file_name);
    return 1;
  }
  fprintf(f, "%d  number of first letters\n", numF);
  for (int k = 0; k <= numF; k++) fprintf(f, "%d\n", begF ? begF[k] : 0);
  fprintf(f, "%d  number of items\n", num);
  for (int i = 0; i < num; i++) fprintf(f, "%s\n%s\n", ks[i].Sy, ks[i].Nm);
  checkWrite(f, file_name);
  fclose(f);
  return 0;
}

int Mesh::alloc(int _num) {
  delete[] ks;
  ks = nullptr;
  num = room = 0;
  if (_num < 0) return 0;
  ks = new (std::nothrow) NmSy[(size_t)_num + 1]();
  if (!ks) return 0;
  room = _num;
  return 1;
}

int Mesh::add(const char *_NM, const char *_SY) {
  if (num >= room) return 0;  // the room given to alloc is full
  ks[num].Nm = copyCut(_NM);
  ks[num].Sy = copyCut(_SY);
  num++;
  return 0;
}

int sortKs(const void *a, const void *b) {
  return strcmp(static_cast<const NmSy *>(a)->Sy, static_cast<const NmSy *>(b)->Sy);
}

void Mesh::makeBuckets() {
  delete[] begF;
  begF = nullptr;
  numF = 0;
  if (num == 0) {
    begF = allocArray<int>(1, true);
    return;
  }
  // Offsets on signed characters, as the lookup takes them. The pairs are in unsigned order,
  // so synonyms that begin with a byte above 0x7F after others come last with a negative
  // offset: they get no bucket (they are not found), and the buckets end at the last pair
  // whose offset is not negative.
  int c0 = (signed char)ks[0].Sy[0];
  numF = 1;
  for (int i = num - 1; i > 0; i--) {
    int k = (int)(signed char)ks[i].Sy[0] - c0;
    if (k >= 0) {
      numF = k + 1;
      break;
    }
  }
  begF = allocArray<int>((long long)numF + 1, true);
  std::vector<bool> set((size_t)numF, false);
  for (int i = 0; i < num; i++) {
    int k = (int)(signed char)ks[i].Sy[0] - c0;
    if (k < 0 || k >= numF || set[(size_t)k]) continue;
    if (i > 0 && (signed char)ks[i - 1].Sy[0] == (signed char)ks[i].Sy[0]) continue;
    begF[k] = i;
    set[(size_t)k] = true;
  }
  begF[numF] = num;
  for (int k = numF - 1; k >= 1; k--)
    if (begF[k] == 0) begF[k] = begF[k + 1];
}

int Mesh::readFlatMesh(const char *inpFileName) {
  FILE *f = fopen(inpFileName, "rb");
  if (!f) {
    printf("Can't open flat Mesh File %s", inpFileName);
    return 1;
  }
  std::string line;
  int nNM = 0, nSY = 0;
  while (readLine(f, line)) {
    if (line.compare(0, 2, "NM") == 0) {
      nNM++;
      if (nNM % 1000 == 0) printf("\n%7d", nNM);
    } else if (line.compare(0, 2, "SY") == 0) {
      nSY++;
    }
  }
  printf("\n Number of NM %d\n Number of SY %d\n", nNM, nSY);
  for (int i = 0; i < num; i++) {
    delete[] ks[i].Nm;
    delete[] ks[i].Sy;
  }
  if (!alloc(nSY)) noRoom((long long)nSY * (long long)sizeof(NmSy));
  rewind(f);
  std::string heading;
  bool haveHeading = false;
  while (readLine(f, line)) {
    // The value starts at the sixth character, after the tag and three blanks.
    const char *value = line.size() > 5 ? line.c_str() + 5 : "";
    if (line.compare(0, 2, "NM") == 0) {
      heading = value;
      haveHeading = true;
    } else if (line.compare(0, 2, "SY") == 0) {
      if (!haveHeading) {
        printf("\n Synonym %s has no main heading before it: skipped", value);
        continue;
      }
      add(heading.c_str(), value);
      if (num % 1000 == 0) printf("\n%7d", num);
    }
  }
  fclose(f);
  std::stable_sort(ks, ks + num, [](const NmSy &a, const NmSy &b) { return strcmp(a.Sy, b.Sy) < 0; });
  makeBuckets();
  printf("\n numF  %d ks[ 0 ].Sy[ 0 ] %d\n", numF, num ? (int)(signed char)ks[0].Sy[0] : 0);
  return 0;
}
