// The keyword thesaurus: synonyms (entry terms) mapped to their main headings, read from a
// mesh index file and searched by first character and binary search. The builder (a flat
// file of NM/SY lines to the index file) belongs here too; the programs only load and look up.
#pragma once

// One pair: main heading and synonym (both owned by the thesaurus).
struct NmSy {
  char *Nm;
  char *Sy;
};

class Mesh {
 public:
  int num = 0;              // pairs
  NmSy *ks = nullptr;       // pairs in synonym order (strcmp)
  int numF = 0;             // first-character buckets
  int *begF = nullptr;      // numF + 1 bucket starts; begF[numF] == num

  Mesh() = default;
  Mesh(const Mesh &) = delete;
  Mesh &operator=(const Mesh &) = delete;
  ~Mesh() { clear(); }

  // Replaces the contents with the mesh index file. 0 on success; 1 when the file does not
  // open or its counts and bucket starts don't hold together (the thesaurus is then empty).
  // Exits 111 when the file ends inside its pairs.
  int load(const char *file_name);
  // New copy (delete[]) of the main heading whose synonym is word, or null.
  char *findSyn(const char *word) const;

  // Builder. save: 0, or 1 when the file can't be created (a failed write ends the run).
  int save(const char *file_name) const;
  // Pairs from a flat file of NM/SY lines, sorted, with their buckets. 0, or 1 when it
  // doesn't open.
  int readFlatMesh(const char *inpFileName);
  // Drops the pair array (not its strings) and makes room for _num zeroed pairs; num = 0.
  // 1 on success, 0 when the room can't be had.
  int alloc(int _num);
  // Appends copies of the pair, each cut at its first CR or LF; room is the caller's.
  int add(const char *_NM, const char *_SY);

 private:
  int room = 0;
  void clear();
  void makeBuckets();
};

// Synonym order: strcmp of Sy.
int sortKs(const void *a, const void *b);
